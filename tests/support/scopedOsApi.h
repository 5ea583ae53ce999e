// Replaces operations in the operations table for one test and puts the platform's
// back afterwards. Replace entries only while no port's monitor thread runs.
#pragma once

#include "platform/osApi.h"

class ScopedOsApi {
public:
    ScopedOsApi() : saved_(osApi()) {}
    ~ScopedOsApi() { osApi() = saved_; }
    ScopedOsApi(const ScopedOsApi&) = delete;
    ScopedOsApi& operator=(const ScopedOsApi&) = delete;

    OsApi& operator*() { return osApi(); }
    OsApi* operator->() { return &osApi(); }

private:
    OsApi saved_;
};
