#include "icons.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

// The committed pictures must be exactly what the generator draws, and every picture the
// program refers to must be compiled into the resources.
class TestIcons : public QObject
{
    Q_OBJECT

private:
    static QStringList resourceList()
    {
        QFile qrc(QStringLiteral(VELMORA_ICON_DIR "/../icons.qrc"));
        if (!qrc.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(qrc.readAll());
        QStringList names;
        QRegularExpression file(QStringLiteral("<file>images/([^<]+)</file>"));
        for (auto it = file.globalMatch(text); it.hasNext();)
            names << it.next().captured(1);
        return names;
    }

private slots:
    void committedPicturesMatchTheGenerator()
    {
        const auto drawn = icongen::drawAll();
        const QDir dir(QStringLiteral(VELMORA_ICON_DIR));
        QStringList committed = dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
        QStringList generated = drawn.keys();
        committed.sort();
        generated.sort();
        QCOMPARE(committed, generated);
        for (auto it = drawn.cbegin(); it != drawn.cend(); ++it) {
            QImage onDisk(dir.filePath(it.key()));
            QVERIFY2(!onDisk.isNull(), qPrintable(it.key()));
            QCOMPARE(onDisk.convertToFormat(QImage::Format_ARGB32),
                     it.value().convertToFormat(QImage::Format_ARGB32));
        }
    }

    void resourceListNamesEveryPicture()
    {
        QStringList listed = resourceList();
        QStringList drawn = icongen::drawAll().keys();
        listed.sort();
        drawn.sort();
        QCOMPARE(listed, drawn);
    }

    void everyPictureIsCompiledInAsASquare()
    {
        QStringList required = {QStringLiteral("main.png"),     QStringLiteral("refresh.png"),
                                QStringLiteral("connect.png"),  QStringLiteral("delete.png"),
                                QStringLiteral("download.png"), QStringLiteral("bin.png"),
                                QStringLiteral("Ok.png")};
        for (int n = 0; n <= 32; ++n)
            required << QStringLiteral("Num_%1.png").arg(n);
        for (const QString &name : required) {
            const QImage image(QStringLiteral(":/icons/images/") + name);
            QVERIFY2(!image.isNull(), qPrintable(name));
            QCOMPARE(image.size(), QSize(256, 256));
            QVERIFY2(image.hasAlphaChannel(), qPrintable(name));
        }
    }

    // The desktop's icon theme gets the window's picture at each size, drawn there rather than
    // shrunk: it must still show the same thing as main.png shrunk smoothly.
    void themeIconIsTheWindowIcon_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : icongen::kAppIconSizes)
            QTest::addRow("%d", size) << size;
    }

    void themeIconIsTheWindowIcon()
    {
        QFETCH(int, size);
        const QImage drawn = icongen::appIcon(size).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(drawn.size(), QSize(size, size));
        QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
        const QImage shrunk = QImage(QStringLiteral(":/icons/images/main.png"))
                                  .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32);
        qint64 difference = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = drawn.pixel(x, y), b = shrunk.pixel(x, y);
                difference += qAbs(qAlpha(a) - qAlpha(b)) + qAbs(qRed(a) - qRed(b)) +
                              qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
            }
        }
        const double perChannel = double(difference) / (4.0 * size * size);
        QVERIFY2(perChannel < 4, qPrintable(QString::number(perChannel)));
    }

    void numbersAreBlueOnTransparent()
    {
        const QImage image =
            QImage(QStringLiteral(":/icons/images/Num_8.png")).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        int blue = 0;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) == 255 && qBlue(p) > qRed(p) + 60 && qBlue(p) > qGreen(p) + 60)
                    ++blue;
            }
        }
        QVERIFY(blue > 100);
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
