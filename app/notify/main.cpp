// qrvtavoli-notify: tells the table maps that some tables have changed, as a till script or an
// operator would: one UDP datagram of table numbers separated by ";".

#include "core/tablemap/MapSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QTextStream>
#include <QUdpSocket>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qrvtavoli-notify"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends one table-change notification (table numbers separated by \";\") to the table maps."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("Receiver host (default 127.0.0.1)."),
                                        QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Receiver UDP port (default %1).").arg(qrv::MapSettings::notifyPort()),
        QStringLiteral("port"), QString::number(qrv::MapSettings::notifyPort()));
    parser.addOption(hostOption);
    parser.addOption(portOption);
    parser.addPositionalArgument(QStringLiteral("tables"), QStringLiteral("Table numbers, e.g. 12;15;18"));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1 || args.first().isEmpty()) {
        err << "usage: qrvtavoli-notify [--host H] [--port P] 12;15;18\n";
        return 2;
    }
    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        err << "invalid port: " << parser.value(portOption) << '\n';
        return 2;
    }

    QHostAddress address(parser.value(hostOption));
    if (address.isNull()) {
        const QHostInfo info = QHostInfo::fromName(parser.value(hostOption));
        for (const QHostAddress &candidate : info.addresses()) {
            if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                address = candidate;
                break;
            }
        }
        if (address.isNull()) {
            err << "unknown host: " << parser.value(hostOption) << '\n';
            return 1;
        }
    }

    const QByteArray payload = args.first().toUtf8();
    QUdpSocket socket;
    if (socket.writeDatagram(payload, address, static_cast<quint16>(port)) != payload.size()) {
        err << "cannot send: " << socket.errorString() << '\n';
        return 1;
    }
    return 0;
}
