// The far end of a virtual serial port for tests: a pseudo-terminal whose slave is
// linked as COMn in a private virtual-port folder (XDG_RUNTIME_DIR points at a fresh
// temporary folder for the test's lifetime), so "\\.\COMn" opens it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class PtyPeer {
public:
    explicit PtyPeer(int portNumber = 201);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    int portNumber() const { return portNumber_; }
    std::string comPath() const;  // "\\.\COMn"
    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Writes all of bytes to the port's input side.
    void send(const std::vector<std::uint8_t>& bytes);
    void send(const std::string& text);
    // Reads what the port wrote until count bytes have come or the deadline passes.
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds deadline = std::chrono::seconds(20));
    // What the port has written so far and nobody read yet; empty at once when nothing waits.
    std::vector<std::uint8_t> receiveAvailable();
    // Simulates pulling the adapter out.
    void closeMaster();
    // Pulls the adapter out and its device node goes: the master closed, the link removed.
    void pull();
    // Plugs an adapter in under the same name: a new pseudo-terminal linked as COMn.
    void plugIn();

private:
    int portNumber_;
    int master_ = -1;
    std::string slavePath_;
    std::string runtimeDir_;
    std::string savedRuntimeDir_;
    bool hadRuntimeDir_ = false;
};

// Waits for condition with a generous deadline, polling every millisecond.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds deadline = std::chrono::seconds(20));

#include <thread>

template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
