#pragma once

#include <string>

namespace tc4sim
{

// The simulator's end of the serial line: a pseudo-terminal master whose slave is linked as
// ports/COM<n> of a program folder. Bytes reach the slave only while a reader has it open,
// as on a real line; nothing ever blocks.
class PtyPort
{
public:
    enum class Delivery {
        Written,  // handed to the reader (a tail the reader has no room for follows later)
        NoReader, // nobody has the port open; nothing was written
        Busy      // the reader has not taken the previous bytes; nothing was written
    };

    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates the pty (raw, 19200 baud) and the link <folder>/ports/COM<port>. An existing
    // link is replaced; any other file in its place is an error. False with `error` set on
    // failure, leaving nothing behind.
    bool open(const std::string& folder, int port, std::string& error);

    // Removes the link if it still points to this pty, then closes the pty; a connected reader
    // sees a hang-up. Safe to call twice.
    void close();

    // Notices readers coming and going and throws away input from the reader. When a reader
    // leaves, bytes it never read are flushed so the next reader starts afresh.
    void service();

    // Result of the latest service(): does somebody have the slave open?
    bool readerPresent() const { return readerPresent_; }

    // Services the port and writes `bytes` if a reader is there and has taken everything
    // written before.
    Delivery send(const std::string& bytes);

    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }

private:
    bool writePending();
    void flushSlaveInput();

    int master_ = -1;
    std::string slavePath_;
    std::string linkPath_;
    std::string pending_; // tail of a frame the reader had no room for
    bool readerPresent_ = false;
};

} // namespace tc4sim
