// Build tool: renders the program's SVG icon into the PNG sizes of the hicolor icon theme, so that desktops and
// software centres that want a bitmap find one. Qt's own SVG renderer does it, so the build needs no other program.
//
//   dawnbell_render_icon <icon.svg> <theme folder> <file name> <size>...
//
// writes <theme folder>/<size>x<size>/apps/<file name> for every size.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Painting an SVG without text into an image needs no window system, so no QGuiApplication: the build
    // machine may have no display and no runtime folder.
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        err << "usage: dawnbell_render_icon <icon.svg> <theme folder> <file name> <size>...\n";
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        err << "cannot read the SVG icon " << args.at(1) << '\n';
        return 1;
    }
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            err << "not an icon size: " << args.at(i) << '\n';
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        const QString file = folder + QLatin1Char('/') + args.at(3);
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            err << "cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
