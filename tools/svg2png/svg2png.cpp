// Build-time tool: draws an SVG picture into a PNG of the given size, so that
// the repository keeps pictures as text sources.
//   svg2png <input.svg> <output.png> <size>|<width>x<height>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: svg2png <input.svg> <output.png> <size>|<width>x<height>\n");
        return 2;
    }
    QCoreApplication app(argc, argv); // pictures without text need no GUI session
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    // One number for square icons, width and height for everything else.
    const QStringList sizes = QString::fromLocal8Bit(argv[3]).split(QLatin1Char('x'));
    const int width = sizes.value(0).toInt();
    const int height = sizes.size() == 1 ? width : sizes.value(1).toInt();
    if (!renderer.isValid() || sizes.size() > 2 || width <= 0 || height <= 0)
    {
        std::fprintf(stderr, "svg2png: cannot draw %s at %s\n", argv[1], argv[3]);
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
