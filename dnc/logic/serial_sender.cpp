#include "dnc/logic/serial_sender.h"

#include "dnc/logic/serial_line.h"

#include <algorithm>
#include <cmath>

namespace zorvan::dnc {

namespace {
// How far ahead of the line the system may be given bytes.
constexpr double kLeadSeconds = 0.03;
}  // namespace

SerialSender::SerialSender(OutgoingProgram program, const DncSettings& settings, QObject* parent)
    : SerialTransfer(settings, parent), program_(std::move(program)), rate_(charactersPerSecond(settings))
{
}

void SerialSender::pause()
{
    if (state_ == TransferState::Running)
        state_ = TransferState::Paused;
}

void SerialSender::resume()
{
    if (state_ == TransferState::Paused)
        state_ = TransferState::Running;
}

TransferProgress SerialSender::progress() const
{
    TransferProgress p;
    p.bytes = sent_;
    p.totalBytes = static_cast<qint64>(program_.bytes.size());
    p.lines = static_cast<int>(std::upper_bound(program_.lineEnds.begin(), program_.lineEnds.end(), std::size_t(sent_))
                               - program_.lineEnds.begin());
    p.totalLines = static_cast<int>(program_.lineEnds.size());
    const double seconds = elapsedSeconds();
    p.bytesPerSecond = seconds > 0 ? sent_ / seconds : 0;
    p.held = held_;
    return p;
}

void SerialSender::begin()
{
    restartPacing(0);
    onTick();
}

void SerialSender::onData()
{
    // A control may answer with status characters; a send has no use for them.
    port_.readAll();
}

void SerialSender::restartPacing(qint64 nowNs)
{
    paceStartNs_ = nowNs;
    handedAtPaceStart_ = handed_;
}

// Where the next write ends: the budget, cut at the end of the line when lines are paused after.
qint64 SerialSender::nextWriteEnd(qint64 budget) const
{
    qint64 end = std::min<qint64>(handed_ + budget, program_.bytes.size());
    if (settings_.linePauseMs > 0) {
        auto lineEnd = std::upper_bound(program_.lineEnds.begin(), program_.lineEnds.end(), std::size_t(handed_));
        if (lineEnd != program_.lineEnds.end())
            end = std::min<qint64>(end, *lineEnd);
    }
    return end;
}

void SerialSender::onTick()
{
    if (ended())
        return;
    const qint64 now = qint64(elapsedSeconds() * 1e9);
    const qint64 total = qint64(program_.bytes.size());
    const qint64 inPort = port_.bytesToWrite();
    const qint64 inSystem = systemOutputQueue(port_);
    const qint64 out = handed_ - inPort - inSystem;
    const qint64 lead = std::max<qint64>(1, std::llround(rate_ * kLeadSeconds));
    held_ = inPort + inSystem > lead;
    // The stall clock runs only while bytes wait for the line to take them.
    if (out > sent_ || !held_ || state_ == TransferState::Paused)
        lastProgressNs_ = now;
    sent_ = std::max(sent_, out);
    if (sent_ >= total) {
        finish(TransferState::Done);
        return;
    }
    if (now - lastProgressNs_ > qint64(settings_.stallTimeoutS) * 1'000'000'000) {
        finish(TransferState::Failed,
               QStringLiteral("送信が %1 秒止まったままです (XON も CTS も来ません)。送信を打ち切りました。\n"
                              "%2 / %3 バイトを送りました。")
                   .arg(settings_.stallTimeoutS)
                   .arg(sent_)
                   .arg(total));
        return;
    }
    if (held_ || state_ == TransferState::Paused || now < lineResumeNs_ || handed_ == total) {
        restartPacing(now);
        return;
    }
    // Characters the line could have carried since pacing started, less those handed since; a
    // delayed tick catches up, but never by more than the lead.
    qint64 budget = qint64(rate_ * (now - paceStartNs_) / 1e9) - (handed_ - handedAtPaceStart_);
    if (budget > lead) {
        paceStartNs_ = now - qint64(lead / rate_ * 1e9);
        handedAtPaceStart_ = handed_;
        budget = lead;
    }
    if (budget <= 0)
        return;
    const qint64 end = nextWriteEnd(budget);
    port_.write(program_.bytes.data() + handed_, end - handed_);
    const qint64 written = end - handed_;
    handed_ = end;
    if (settings_.linePauseMs > 0
        && std::binary_search(program_.lineEnds.begin(), program_.lineEnds.end(), std::size_t(handed_)))
        lineResumeNs_ = now + qint64(written / rate_ * 1e9) + qint64(settings_.linePauseMs) * 1'000'000;
}

}  // namespace zorvan::dnc
