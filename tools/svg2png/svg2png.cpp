// Build-time tool: draws an SVG picture into a PNG of the given size, so that
// the repository keeps pictures as text sources.
//   svg2png <input.svg> <output.png> <size>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: svg2png <input.svg> <output.png> <size>\n");
        return 2;
    }
    QCoreApplication app(argc, argv); // pictures without text need no GUI session
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const int size = QString::fromLocal8Bit(argv[3]).toInt();
    if (!renderer.isValid() || size <= 0)
    {
        std::fprintf(stderr, "svg2png: cannot draw %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
