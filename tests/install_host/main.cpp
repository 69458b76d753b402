#include "component/clsTavoli.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    qrv::clsTavoli tavoli;
    tavoli.setSala(3);
    std::printf("Sala=%d OperazioneScelta=%s\n", tavoli.Sala(), qPrintable(tavoli.OperazioneScelta()));
    return 0;
}
