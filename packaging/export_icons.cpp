// Writes the programs' own window icons as PNG files at the sizes desktops look for:
// OUTDIR/SIZExSIZE/apps/chromix-NAME.png.

#include "uikit/program_icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <utility>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_icons OUTDIR\n");
        return 2;
    }
    const std::pair<ProgramKind, const char*> programs[] = {
        {ProgramKind::Hubrin, "hubrin"},   {ProgramKind::Patchora, "patchora"}, {ProgramKind::Ramvel, "ramvel"},
        {ProgramKind::Trisola, "trisola"}, {ProgramKind::Flashbey, "flashbey"}, {ProgramKind::Candora, "candora"}};
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(side);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "export_icons: cannot create %s\n", qPrintable(folder));
            return 1;
        }
        for (const auto& [program, name] : programs) {
            const QString file = QStringLiteral("%1/chromix-%2.png").arg(folder, QLatin1String(name));
            if (!programIcon(program).pixmap(side, side).save(file, "PNG")) {
                std::fprintf(stderr, "export_icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
