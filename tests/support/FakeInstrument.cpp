#include "tests/support/FakeInstrument.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "link/Frame.h"

namespace testsupport {

FakeInstrumentEngine::FakeInstrumentEngine() : responder(connectOnly) {}

std::optional<QStringList> FakeInstrumentEngine::connectOnly(const QString& body) {
    if (body == QLatin1String("RC,R,")) return QStringList{QStringLiteral("RC,R,QM-73")};
    return std::nullopt;
}

void FakeInstrumentEngine::receive(const QByteArray& bytes) {
    inbox_.append(bytes);
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < inbox_.size(); ++i)
            if (inbox_[i] == 0x04 || inbox_[i] == 0x17) {
                end = i;
                break;
            }
        if (end < 0) return;
        const QString frame = comm::FrameText(inbox_.left(end + 1));
        inbox_.remove(0, end + 1);
        const qsizetype stx = frame.indexOf(comm::STX);
        if (stx < 0 || frame.size() - stx < 9) continue;
        const QString body = frame.mid(stx + 5, frame.size() - stx - 9);
        const QString summed = frame.mid(stx, frame.size() - stx - 3);
        if (frame.mid(frame.size() - 3, 2).toInt(nullptr, 16) != comm::FrameChecksum(summed)) {
            ++badRequestChecksums;
            continue;
        }
        requests << comm::NameControlChars(body);
        if (body.endsWith(comm::ACK)) {
            if (blockIndex_ + 1 < blocks_.size()) {
                ++blockIndex_;
                sendBlock();
            }
        } else if (body.endsWith(comm::NAK)) {
            if (blockIndex_ < blocks_.size()) sendBlock();
        } else if (const auto answer = responder ? responder(body) : std::nullopt) {
            blocks_ = *answer;
            blockIndex_ = 0;
            if (!blocks_.isEmpty()) sendBlock();
        } else {
            blocks_.clear();
        }
    }
}

void FakeInstrumentEngine::sendBlock() {
    const bool last = blockIndex_ + 1 >= blocks_.size();
    send(comm::FrameBytes(comm::BuildFrame(blocks_[blockIndex_], last ? comm::EOT : comm::ETB)));
}

void FakeInstrumentEngine::send(QByteArray frame) {
    Fault fault;
    if (!faults.empty()) {
        fault = faults.front();
        faults.pop_front();
    }
    switch (fault.kind) {
        case Fault::BadChecksum:
            frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0';
            break;
        case Fault::Silence:
            return;
        case Fault::Late:
            late_.push_back({fault.amount, frame});
            return;
        case Fault::Truncate:
            frame.chop(fault.amount);
            break;
        case Fault::Garbage:
            frame.prepend("#x?");
            break;
        case Fault::Split: {
            const qsizetype piece = std::max<qsizetype>(1, frame.size() / fault.amount);
            for (qsizetype at = 0; at < frame.size(); at += piece)
                if (deliver) deliver(frame.mid(at, piece));
            return;
        }
        case Fault::DropLines:
            if (dropLines) dropLines();
            return;
        case Fault::None:
            break;
    }
    sentBytes += frame.size();
    if (deliver) deliver(frame);
}

void FakeInstrumentEngine::tick() {
    for (auto it = late_.begin(); it != late_.end();) {
        if (--it->ticks <= 0) {
            const QByteArray bytes = it->bytes;
            it = late_.erase(it);
            if (deliver) deliver(bytes);
        } else {
            ++it;
        }
    }
}

// ---- in-process port -----------------------------------------------------------------------

FakeSerialPort::FakeSerialPort() {
    engine.deliver = [this](const QByteArray& bytes) { inject(bytes); };
    engine.dropLines = [this] { plugged = false; };
}

void FakeSerialPort::inject(const QByteArray& bytes) {
    if (!open_) return;
    const bool wasEmpty = pending_.isEmpty();
    pending_.append(bytes);
    if (wasEmpty)
        QMetaObject::invokeMethod(
            this, [this] { emit commEvent(platform::CommEvReceive); }, Qt::QueuedConnection);
}

bool FakeSerialPort::open(QString* error) {
    const bool present =
        onlyPort == 0 || commPort() == onlyPort || otherAdapters.contains(commPort());
    if (!openFailure.isEmpty() || !present) {
        if (error) *error = openFailure.isEmpty() ? QStringLiteral("No such device") : openFailure;
        return false;
    }
    open_ = true;
    ++opens;
    openedPorts.push_back(commPort());
    lostReason_.clear();
    return true;
}

void FakeSerialPort::post(int code) {
    QMetaObject::invokeMethod(
        this, [this, code] { emit commEvent(code); }, Qt::QueuedConnection);
}

void FakeSerialPort::fail(const QString& reason) {
    if (!open_) return;
    lostReason_ = reason;
    if (lines_ & platform::ModemCts) post(platform::CommEvCts);
    if (lines_ & platform::ModemDsr) post(platform::CommEvDsr);
    lines_ = 0;
    QMetaObject::invokeMethod(
        this,
        [this] {
            close();
            emit commEvent(platform::CommEventPortLost);
        },
        Qt::QueuedConnection);
}

void FakeSerialPort::close() {
    if (open_) ++closes;
    open_ = false;
    pending_.clear();
}

QByteArray FakeSerialPort::input() {
    QByteArray taken;
    taken.swap(pending_);
    return taken;
}

void FakeSerialPort::output(const QByteArray& bytes) {
    if (open_ && instrumentBehind()) engine.receive(bytes);
}

void FakeSerialPort::pollModemLines() {
    if (!open_) return;
    const int lines = plugged && instrumentBehind() ? platform::ModemCts | platform::ModemDsr : 0;
    const int changed = lines ^ lines_;
    lines_ = lines;
    for (int code : {platform::CommEvCts, platform::CommEvDsr}) {
        const int bit = code == platform::CommEvCts ? platform::ModemCts : platform::ModemDsr;
        if (changed & bit) post(code);
    }
}

// ---- pseudo-terminal -----------------------------------------------------------------------

PtyInstrument::PtyInstrument() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = QString::fromLocal8Bit(ptsname(master_));
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyInstrument::readMaster);
    engine.deliver = [this](const QByteArray& bytes) {
        if (master_ >= 0) (void)::write(master_, bytes.constData(), bytes.size());
    };
}

PtyInstrument::~PtyInstrument() {
    notifier_.reset();
    if (master_ >= 0) ::close(master_);
}

void PtyInstrument::readMaster() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        engine.receive(QByteArray(buffer, n));
    }
}

}  // namespace testsupport
