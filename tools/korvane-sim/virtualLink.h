// The symbolic link comN in the virtual-port folder that makes our pty a COM port.
#pragma once

#include <memory>
#include <string>

namespace sim {

class VirtualLink {
public:
    // Links folder/com<port> to device, creating the folder (and its parents) if needed.
    // A link of another live device is left alone and refused; a dangling one, whose
    // device has gone with the program that made it, is replaced. Nothing on refusal,
    // with the reason in error.
    static std::unique_ptr<VirtualLink> create(const std::string& folder, int port, const std::string& device,
                                               std::string& error);

    // Removes the link, unless something else has taken its name since.
    ~VirtualLink();
    VirtualLink(const VirtualLink&) = delete;
    VirtualLink& operator=(const VirtualLink&) = delete;

    const std::string& path() const { return path_; }

private:
    VirtualLink(int folderFd, std::string path, std::string device);

    int folderFd_;  // flock on the folder makes check-then-change atomic between simulators
    std::string path_;
    std::string device_;
};

}  // namespace sim
