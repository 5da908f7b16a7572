// Builds the user manual: its Markdown source laid out as a PDF, with a
// picture of the zoom course drawn for it. Run by the build.
// usage: make_manual SOURCE.md OUTPUT.pdf
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

namespace {

// The course of the default settings: the share of the frame shown, from the
// whole frame down to the region and back, over the clip.
QImage CoursePicture() {
    QImage image(1600, 640, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plot(240, 40, 1300, 480);
    const double in = 0.10 / 2, out = 0.50 / 2;  // the sliders' defaults, shares of the clip
    const double region = 0.35;                   // the region's size against the whole frame
    auto at = [&](double t, double size) { return QPointF(plot.left() + t * plot.width(), plot.bottom() - size * plot.height()); };
    p.setPen(QPen(QColor(220, 220, 220), 2));
    for (double t : {in, 1 - out}) p.drawLine(at(t, 0), at(t, 1));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    QPainterPath course(at(0, 1));
    course.lineTo(at(in, region));
    course.lineTo(at(1 - out, region));
    course.lineTo(at(1, 1));
    p.setPen(QPen(QColor(200, 30, 30), 8));
    p.drawPath(course);
    QFont font("DejaVu Sans");
    font.setPixelSize(30);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, plot.top() - 20, 225, 40), Qt::AlignRight | Qt::AlignVCenter, "whole frame");
    p.drawText(QRectF(0, at(0, region).y() - 20, 225, 40), Qt::AlignRight | Qt::AlignVCenter, "region");
    p.drawText(QRectF(plot.left(), plot.bottom() + 20, 300, 40), Qt::AlignLeft, "first frame");
    p.drawText(QRectF(plot.right() - 300, plot.bottom() + 20, 300, 40), Qt::AlignRight, "last frame");
    p.drawText(QRectF(at(in, 0).x() - 150, plot.bottom() + 60, 300, 40), Qt::AlignCenter, "zoom in");
    p.drawText(QRectF(at(1 - out, 0).x() - 150, plot.bottom() + 60, 300, 40), Qt::AlignCenter, "zoom out begins");
    image.setDevicePixelRatio(3.0);  // 533 units wide on the page, sharp in print
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_manual SOURCE.md OUTPUT.pdf\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    document.setDefaultFont(QFont("DejaVu Sans", 10));
    document.setMarkdown(QString::fromUtf8(source.readAll()));  // clears resources: the picture after it
    document.addResource(QTextDocument::ImageResource, QUrl("course.png"), CoursePicture());

    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle("Morva Telle");
    pdf.setCreator("Morva Telle");
    pdf.setResolution(300);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                  QPageLayout::Millimeter));
    // Laid out at 96 units an inch, drawn scaled to the writer's resolution, a page at a time.
    const QRect paint = pdf.pageLayout().paintRectPixels(pdf.resolution());
    const double scale = pdf.resolution() / 96.0;
    const QSizeF page(paint.width() / scale, paint.height() / scale);
    document.setPageSize(page);
    QPainter painter(&pdf);
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) pdf.newPage();
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
        painter.restore();
    }
    const bool written = painter.end();
    return written ? 0 : 1;
}
