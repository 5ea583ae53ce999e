#include "tools/korvane-sim/module.h"

#include <algorithm>
#include <vector>

namespace sim {
namespace {

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

const char* describe(Piece::Kind kind) {
    switch (kind) {
    case Piece::Kind::Command: return "收到命令: ";
    case Piece::Kind::Line: return "收到文本: ";
    case Piece::Kind::TooLong: return "收到过长的命令, 已丢弃";
    }
    return "";
}

}  // namespace

void OutputQueue::consume(std::size_t count) {
    head_ += std::min(count, size());
    if (head_ == bytes_.size()) {
        bytes_.clear();
        head_ = 0;
    } else if (head_ > bytes_.size() / 2) {
        bytes_.erase(0, head_);
        head_ = 0;
    }
}

std::uint64_t lineBytesPerSecond(std::uint64_t baud, int dataBits, bool parity, bool twoStopBits) {
    const auto bits = static_cast<std::uint64_t>(1 + dataBits + (parity ? 1 : 0) + (twoStopBits ? 2 : 1));
    return std::max<std::uint64_t>(1, baud / bits);
}

void Module::paceAt(std::uint64_t bytesPerSecond, Clock::time_point now) {
    if (bytesPerSecond == 0) linePacer_.reset();
    // An idle line saves up no more than a few characters' time, so a reply goes
    // out over the time its bytes take on the wire.
    else if (!linePacer_ || linePacer_->rate() != bytesPerSecond)
        linePacer_.emplace(bytesPerSecond, now, std::chrono::milliseconds(5));
}

void Module::send(Clock::time_point now, ByteSink& port) {
    std::size_t count = output_.size();
    if (linePacer_) {
        const std::int64_t due = linePacer_->allowance(now);
        count = due > 0 ? std::min(count, static_cast<std::size_t>(due)) : 0;
    }
    if (count == 0) return;
    const std::size_t taken = port.take({output_.data(), count});
    if (linePacer_) linePacer_->spent(count);  // refused bytes took their time on the line too
    output_.consume(count);
    if (taken < count) {
        if (droppedSinceLog_ == 0 && log_ != nullptr) *log_ << "端口未接收, 开始丢弃输出\n";
        dropped_ += count - taken;
        droppedSinceLog_ += count - taken;
    } else if (droppedSinceLog_ > 0 && log_ != nullptr) {
        *log_ << "端口未接收, 已丢弃 " << droppedSinceLog_ << " 字节 (共 " << dropped_ << " 字节)\n";
        droppedSinceLog_ = 0;
    }
}

void Module::startStream(StreamKind kind, std::uint64_t bytesPerSecond, Clock::time_point now) {
    stream_.emplace(kind);
    pacer_.emplace(bytesPerSecond, now);
}

void Module::receive(std::string_view bytes) {
    std::vector<Piece> pieces;
    parser_.feed(bytes, pieces);
    for (const Piece& piece : pieces) {
        const std::string reply = replyTo(piece, identity_);
        output_.append(reply);
        if (log_ != nullptr) {
            *log_ << describe(piece.kind) << piece.text << '\n';
            *log_ << "回复: " << withoutLineEnd(reply) << '\n';
        }
    }
}

void Module::tick(Clock::time_point now) {
    if (!pacer_) return;
    const std::int64_t due = pacer_->allowance(now);
    if (due <= 0 || output_.size() >= streamBacklog) return;
    const auto budget = std::min(static_cast<std::size_t>(due), streamBacklog - output_.size());
    std::string bytes;
    pacer_->spent(stream_->produce(budget, bytes));
    output_.append(bytes);
}

}  // namespace sim
