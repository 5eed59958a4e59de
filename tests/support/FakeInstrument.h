#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/SerialPort.h"

namespace testsupport {

// Faults the fake instrument can put on its next answers (one fault per answer, in order).
struct Fault {
    enum Kind { None, BadChecksum, Silence, Late, Truncate, Garbage, Split, DropLines };
    Kind kind = None;
    int amount = 0;  // Late: ticks; Truncate: bytes cut off the end; Split: pieces
};

// The QM-73 as the link sees it on the wire: it takes request frames and answers them, in
// one or more blocks, acknowledging the link's ACK and NAK frames. It is driven by the bytes
// the link writes and by tick() for late answers; it never sleeps.
class FakeInstrumentEngine {
  public:
    // Block bodies of the answer to one request body ("RC,R," -> {"RC,R,QM-73"}); nullopt
    // gives no answer.
    using Responder = std::function<std::optional<QStringList>(const QString& body)>;

    FakeInstrumentEngine();

    // Bytes from the link.
    void receive(const QByteArray& bytes);
    // Advances the instrument's clock by one link tick (late answers fall due).
    void tick();

    // Where the answers go.
    std::function<void(const QByteArray&)> deliver;
    // Called for the DropLines fault.
    std::function<void()> dropLines;
    Responder responder;
    std::deque<Fault> faults;

    // Bodies of every frame received from the link, control characters named (e.g.
    // "DR,R,[ACK]"), and whether each checksum was right.
    QStringList requests;
    int badRequestChecksums = 0;
    // Bytes of every answer frame sent.
    qint64 sentBytes = 0;

    // Answers "RC,R," with "RC,R,QM-73"; nothing else.
    static std::optional<QStringList> connectOnly(const QString& body);

  private:
    void sendBlock();
    void send(QByteArray frame);

    QByteArray inbox_;
    QStringList blocks_;
    int blockIndex_ = 0;
    struct Pending {
        int ticks;
        QByteArray bytes;
    };
    std::vector<Pending> late_;
};

// The fake instrument behind an in-process serial port.
class FakeSerialPort : public platform::SerialPort {
    Q_OBJECT
  public:
    FakeSerialPort();

    FakeInstrumentEngine engine;
    // The cable: with it plugged in and the port open, CTS and DSR are on.
    bool plugged = true;
    // A reason makes open() fail with it; openDenied says that it was a refused permission.
    QString openFailure;
    bool openDenied = false;
    // When set, only this port number opens (the device the adapter is at now).
    int onlyPort = 0;
    // Port numbers of other adapters of the same kind, with no instrument behind them: they
    // open, their lines stay off and nothing answers.
    std::set<int> otherAdapters;
    int opens = 0, closes = 0;
    // The port numbers of every opening that succeeded.
    std::vector<int> openedPorts;

    // The device fails under the open port (an adapter pulled out): the lines go off, then the
    // port closes and reports itself lost, as the real port does.
    void fail(const QString& reason);
    QString lostReason() const override { return lostReason_; }

    void tick() { engine.tick(); }
    // Puts bytes on the line as if the instrument had sent them.
    void inject(const QByteArray& bytes);

    bool portOpen() const override { return open_; }
    bool open(QString* error) override;
    bool lastOpenDenied() const override { return !openFailure.isEmpty() && openDenied; }
    void close() override;
    int inBufferCount() const override { return static_cast<int>(pending_.size()); }
    QByteArray input() override;
    void output(const QByteArray& bytes) override;
    int modemLines() const override { return lines_; }
    void pollModemLines() override;
    void resetModemLines() override { lines_ = 0; }

  private:
    void post(int code);
    bool instrumentBehind() const { return !otherAdapters.contains(commPort()); }

    bool open_ = false;
    QByteArray pending_;
    int lines_ = 0;
    QString lostReason_;
};

// The fake instrument on the master side of a pseudo-terminal pair; the program opens the
// slave side (slavePath()) through its real serial port.
class PtyInstrument : public QObject {
    Q_OBJECT
  public:
    PtyInstrument();
    ~PtyInstrument() override;
    bool isOpen() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    FakeInstrumentEngine engine;

  private:
    void readMaster();
    int master_ = -1;
    QString slavePath_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

// An infrared port whose events the test raises.
class FakeInfraredPort : public platform::NoInfraredPort {
    Q_OBJECT
  public:
    bool ownLink = false;
    QString deviceName;
    int detail = 0;
    int keepAlives = 0;
    QStringList written;

    bool ownLinkActive() const override { return ownLink; }
    QString foundDeviceName() const override { return deviceName; }
    int errorDetail() const override { return detail; }
    void keepAlive() override { ++keepAlives; }
    void output(const QString& text) override { written << text; }
    void raiseEvent(int code) { emit commEvent(code); }
};

}  // namespace testsupport
