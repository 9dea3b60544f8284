// Controls with fixed effects, the DPI rule, and the pictures.
#include "ScriptedDialogs.h"
#include "StationFolder.h"
#include "TestMain.h"

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Form.h"
#include "toolkit/Layout.h"
#include "toolkit/Pictures.h"

#include "toolkit/core/Dpi.h"
#include "toolkit/core/Exception.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

namespace {

class LayoutForm : public tk::TForm {
public:
    LayoutForm() : TForm(QStringLiteral("Макет"), QSize(400, 300)) {}
};

QByteArray Jpeg(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return data;
}

// The study window's bar, 40 x 69, drawn under a Qt style.
QImage SmoothStudyBar(int position, const QString& styleName)
{
    std::unique_ptr<QStyle> style(QStyleFactory::create(styleName));
    tk::TProgressBar bar(nullptr);
    bar.setStyle(style.get());
    bar.Smooth = true;
    bar.BorderWidth = 1;
    bar.setOrientation(Qt::Vertical);
    bar.SetRange(0, 600);
    bar.SetPosition(position);
    bar.resize(40, 69);
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void progressBarHoldsItsPositionInRange_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("held");
        QTest::newRow("inside") << 300 << 300;
        QTest::newRow("upper bound") << 600 << 600;
        QTest::newRow("beyond upper") << 610 << 600;
        QTest::newRow("lower bound") << 0 << 0;
        QTest::newRow("below lower") << -1 << 0;
        QTest::newRow("far below") << -100000 << 0;
    }
    void progressBarHoldsItsPositionInRange()
    {
        QFETCH(int, set);
        QFETCH(int, held);
        tk::TProgressBar bar(nullptr);
        bar.SetRange(0, 600);
        bar.SetPosition(set);
        QCOMPARE(bar.Position(), held);
        QCOMPARE(bar.value(), held);
    }

    void progressBarSteppingDownStopsAtZero()
    {
        tk::TProgressBar bar(nullptr);
        bar.SetRange(0, 600);
        bar.SetPosition(2);
        for (int i = 0; i < 5; ++i)
            bar.SetPosition(bar.Position() - 1);
        QCOMPARE(bar.Position(), 0);
    }

    // The timer's rules through the event loop. Lateness under load only
    // makes ticks later, so each check leaves a wide margin on that side.
    void enablingAStoppedTimerStartsAFullInterval()
    {
        tk::TTimer timer(nullptr);
        QCOMPARE(timer.Interval(), 1000u);
        QVERIFY(!timer.Enabled()); // a new timer is stopped
        timer.SetInterval(400);
        int ticks = 0;
        QElapsedTimer clock;
        qint64 firstTick = -1;
        timer.OnTimer = [&] {
            if (ticks++ == 0)
                firstTick = clock.elapsed();
        };
        // Most of an interval runs, then the timer is stopped and started again.
        timer.SetEnabled(true);
        QTest::qWait(300);
        timer.SetEnabled(false);
        QVERIFY(!timer.Enabled());
        QCOMPARE(ticks, 0);
        clock.start();
        timer.SetEnabled(true);
        QVERIFY(timer.Enabled());
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 5000);
        QVERIFY2(firstTick >= 390, qPrintable(QStringLiteral("first tick after %1 ms").arg(firstTick)));
    }

    void enablingARunningTimerDoesNotRestartIt()
    {
        tk::TTimer timer(nullptr);
        timer.SetInterval(1000);
        int ticks = 0;
        QElapsedTimer clock;
        qint64 firstTick = -1;
        timer.OnTimer = [&] {
            if (ticks++ == 0)
                firstTick = clock.elapsed();
        };
        clock.start();
        timer.SetEnabled(true);
        QTest::qWait(600);
        timer.SetEnabled(true); // a restart would move the tick to about 1600 ms
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 5000);
        QVERIFY2(firstTick >= 990 && firstTick < 1500,
                 qPrintable(QStringLiteral("first tick after %1 ms").arg(firstTick)));
        timer.SetEnabled(false);
    }

    void ticksKeepComingBehindAnOpenBox()
    {
        tk::TApplication app;
        app.SetTitle(QStringLiteral("Инструктаж [Демо-версия]"));
        tk::TTimer timer(nullptr);
        timer.SetInterval(20);
        int ticksBehindTheBox = 0;
        timer.OnTimer = [&] {
            if (!app.BoxOpen())
                return;
            // The real box is up: the event loop delivers the ticks; the fifth answers it.
            if (++ticksBehindTheBox == 5)
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->buttons().first()->click();
        };
        timer.SetEnabled(true);
        // Should no tick come, the box is answered anyway and the count tells.
        QTimer::singleShot(10000, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->buttons().first()->click();
        });
        tk::ShowMessage(QStringLiteral("Тестирование завершено"));
        QCOMPARE(ticksBehindTheBox, 5);
        QVERIFY(timer.Enabled());
    }

    void timerHandlerErrorIsShownAndTheTimerGoesOn()
    {
        tk::TApplication app;
        ScriptedDialogs boxes;
        boxes.Expect(QStringLiteral("tick failed."));
        tk::TTimer timer(nullptr);
        int ticks = 0;
        timer.OnTimer = [&] {
            ++ticks;
            throw tk::Exception("tick failed");
        };
        timer.SetEnabled(true);
        timer.Fire();
        QCOMPARE(ticks, 1);
        QVERIFY(timer.Enabled());
        QVERIFY(boxes.Failures().isEmpty());
    }

    void aSmoothBarLooksTheSameWhateverTheStyle()
    {
        // 67 pixels inside its border: 300 of 600 is 33.5 rows, rounded to 34.
        const QImage fusion = SmoothStudyBar(300, QStringLiteral("Fusion"));
        QCOMPARE(fusion, SmoothStudyBar(300, QStringLiteral("Windows")));
        const QPalette palette = QApplication::palette();
        const QRgb border = palette.color(QPalette::Mid).rgb();
        const QRgb empty = palette.color(QPalette::Button).rgb();
        const QRgb fill = palette.color(QPalette::Highlight).rgb();
        for (const QPoint corner : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 68), QPoint(39, 68), QPoint(20, 0), QPoint(0, 40)})
            QCOMPARE(fusion.pixel(corner), border);
        for (int y = 1; y <= 67; ++y) {
            const QRgb expected = y >= 34 ? fill : empty;
            for (int x = 1; x <= 38; ++x)
                QVERIFY2(fusion.pixel(x, y) == expected, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }

    void aSmoothBarFillsFromEndToEnd_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("filledRows");
        QTest::newRow("full") << 600 << 67;
        QTest::newRow("one step down") << 599 << 67;
        QTest::newRow("last step") << 1 << 0;
        QTest::newRow("empty") << 0 << 0;
    }
    void aSmoothBarFillsFromEndToEnd()
    {
        QFETCH(int, position);
        QFETCH(int, filledRows);
        const QImage image = SmoothStudyBar(position, QStringLiteral("Fusion"));
        const QRgb fill = QApplication::palette().color(QPalette::Highlight).rgb();
        int filled = 0;
        for (int y = 1; y <= 67; ++y)
            filled += image.pixel(20, y) == fill;
        QCOMPARE(filled, filledRows);
    }

    void radioButtonsInAGroupBoxExcludeEachOther()
    {
        tk::TGroupBox group(nullptr);
        tk::TRadioButton a(&group), b(&group), c(&group);
        QVERIFY(!a.Checked() && !b.Checked() && !c.Checked());
        b.click();
        QVERIFY(b.Checked());
        c.click();
        QVERIFY(!b.Checked() && c.Checked());
    }

    void memoKeepsItsLinesExactly()
    {
        tk::TMemo memo(nullptr);
        memo.Add(QStringLiteral("с пробелом "));
        memo.Add(QString());
        memo.Add(QStringLiteral("end"));
        QCOMPARE(memo.Lines(), (QStringList{QStringLiteral("с пробелом "), QString(), QStringLiteral("end")}));
        QCOMPARE(memo.toPlainText(), QStringLiteral("с пробелом \n\nend"));
        memo.Clear();
        QVERIFY(memo.Lines().isEmpty());
        QVERIFY(memo.toPlainText().isEmpty());
    }

    void autoSizedLabelKeepsItsLeftEdge()
    {
        tk::TLabel label(nullptr);
        label.AutoSize = true;
        label.setFont(tk::StationFont(32, true));
        label.setGeometry(436, 16, 155, 37);
        label.SetCaption(QStringLiteral("Тест успешно сдан!"));
        QCOMPARE(label.x(), 436);
        QCOMPARE(label.y(), 16);
        QVERIFY(label.width() > 155);
    }

    void dpiRuleAt120IsTheLayoutItself()
    {
        constexpr tk::DpiScale scale(120);
        static_assert(scale.WindowFontHeight() == 13 && scale.TextHeight() == 16);
        QCOMPARE(scale(338), 338);
        QCOMPARE(scale(1006), 1006);
    }

    void dpiRuleAt96IsAboutFourFifths()
    {
        constexpr tk::DpiScale scale(96);
        QCOMPARE(scale.WindowFontHeight(), 10);
        QCOMPARE(scale.TextHeight(), 13);
        QCOMPARE(scale(338), 275);
        QCOMPARE(scale(381), 310);
        QCOMPARE(scale(1006), 817);
        QCOMPARE(scale(32), 26);
        QCOMPARE(scale(17), 14);
        const double ratio = scale(1000) / 1000.0;
        QVERIFY(ratio > 0.78 && ratio < 0.84);
    }

    void dpiRuleAt144GrowsTheWindows()
    {
        constexpr tk::DpiScale scale(144);
        QCOMPARE(scale.WindowFontHeight(), 16);
        QCOMPARE(scale.TextHeight(), 20);
        QCOMPARE(scale(338), 423);
    }

    void mulDivRoundsHalfAwayFromZero()
    {
        QCOMPARE(tk::MulDiv(1, 1, 2), 1);
        QCOMPARE(tk::MulDiv(-1, 1, 2), -1);
        QCOMPARE(tk::MulDiv(5, 13, 16), 4);
        QCOMPARE(tk::MulDiv(7, 1, 0), -1);
    }

    void layoutIsBuiltAtTheScreensDensity_data()
    {
        QTest::addColumn<int>("ppi");
        QTest::addColumn<QRect>("client");
        QTest::addColumn<QRect>("control");
        QTest::addColumn<int>("fontPixels");
        QTest::newRow("120") << 120 << QRect(0, 0, 400, 300) << QRect(8, 88, 314, 37) << 32;
        QTest::newRow("96") << 96 << QRect(0, 0, 325, 244) << QRect(7, 72, 255, 30) << 26;
    }
    void layoutIsBuiltAtTheScreensDensity()
    {
        QFETCH(int, ppi);
        QFETCH(QRect, client);
        QFETCH(QRect, control);
        QFETCH(int, fontPixels);
        tk::SetPixelsPerInchOverride(ppi);
        LayoutForm form;
        const tk::Controls controls = tk::BuildLayout(
            &form, {{.name = "L", .kind = tk::Kind::Label, .left = 8, .top = 88, .width = 314, .height = 37,
                     .caption = "Вводный инструктаж", .font = {.height = 32, .bold = true}}});
        tk::SetPixelsPerInchOverride(120);
        QCOMPARE(QRect(QPoint(0, 0), form.size()), client);
        QCOMPARE(form.minimumSize(), form.maximumSize()); // fixed size
        auto* label = controls.Get<tk::TLabel>("L");
        QCOMPARE(label->geometry(), control);
        QCOMPARE(label->font().pixelSize(), fontPixels);
        QVERIFY(label->font().bold());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void tabOrderFollowsTheTableWithContainersInline()
    {
        LayoutForm form;
        const tk::Controls c = tk::BuildLayout(
            &form, {
                       {.name = "Group", .kind = tk::Kind::GroupBox, .width = 200, .height = 50, .tabOrder = 1},
                       {.name = "R2", .kind = tk::Kind::RadioButton, .parent = "Group", .tabOrder = 1},
                       {.name = "R1", .kind = tk::Kind::RadioButton, .parent = "Group", .tabOrder = 0},
                       {.name = "Button", .kind = tk::Kind::BitBtn, .tabOrder = 0},
                       {.name = "Memo", .kind = tk::Kind::Memo, .tabOrder = 2},
                   });
        QStringList order;
        QWidget* w = c.Get<tk::TBitBtn>("Button");
        for (int step = 0; step < 50 && order.size() < 4; ++step, w = w->nextInFocusChain())
            if (!w->objectName().isEmpty() && w->focusPolicy() != Qt::NoFocus && !order.contains(w->objectName()))
                order << w->objectName();
        QCOMPARE(order, (QStringList{"Button", "R1", "R2", "Memo"}));
    }

    void jpegDecodesToTheRightSizeAndColour()
    {
        QImage source(64, 32, QImage::Format_RGB32);
        source.fill(QColor(0, 0, 200));
        const QImage decoded = tk::DecodeJpeg(Jpeg(source));
        QCOMPARE(decoded.size(), QSize(64, 32));
        const QColor centre = decoded.pixelColor(32, 16);
        QVERIFY(centre.blue() > 180 && centre.red() < 30 && centre.green() < 30);
    }

    void grayscaleJpegDecodes()
    {
        QImage source(16, 16, QImage::Format_Grayscale8);
        source.fill(128);
        const QImage decoded = tk::DecodeJpeg(Jpeg(source));
        QCOMPARE(decoded.format(), QImage::Format_Grayscale8);
        QVERIFY(qAbs(qGray(decoded.pixel(8, 8)) - 128) < 4);
    }

    void theStationsOwnPicturesDecode()
    {
        const QImage logo = tk::LoadPicture(QStringLiteral(STATION_PICTURES "/logo.jpg"));
        QCOMPARE(logo.size(), QSize(499, 117));
        const QImage start = tk::LoadPicture(QStringLiteral(STATION_PICTURES "/start.jpg"), true);
        QCOMPARE(start.size(), QSize(32, 32));
        QCOMPARE(qAlpha(start.pixel(0, 0)), 0);     // the corner is background
        QCOMPARE(qAlpha(start.pixel(16, 16)), 255); // the button itself is not
    }

    void brokenJpegIsAnErrorNotACrash_data()
    {
        QTest::addColumn<QByteArray>("data");
        QImage source(40, 40, QImage::Format_RGB32);
        source.fill(Qt::red);
        const QByteArray good = Jpeg(source);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\xFF\xD8 this is not a jpeg at all", 28);
        QTest::newRow("header only") << good.left(20);
        QTest::newRow("no start marker") << good.mid(2);
    }
    void brokenJpegIsAnErrorNotACrash()
    {
        QFETCH(QByteArray, data);
        QVERIFY_THROWS_EXCEPTION(tk::Exception, tk::DecodeJpeg(data));
    }

    void truncatedJpegStillGivesAPicture()
    {
        QImage source(200, 200, QImage::Format_RGB32);
        source.fill(Qt::green);
        const QByteArray good = Jpeg(source);
        // libjpeg fills a cut-off picture and warns; the station shows what there is.
        const QImage decoded = tk::DecodeJpeg(good.left(good.size() / 2));
        QCOMPARE(decoded.size(), QSize(200, 200));
    }

    void aPictureThatFailsIsReportedAndTheWindowGoesOn()
    {
        tk::TApplication app;
        app.SetTitle(QStringLiteral("Инструктаж [Демо-версия]"));
        ScriptedDialogs boxes;
        fixture::StationFolder dir;
        const QString bad = dir.File("bad.jpg", "\xFF\xD8\xFF\xE0 broken").Path("bad.jpg");
        const QByteArray badPath = bad.toUtf8();
        const QByteArray missingPath = dir.Path("missing.jpg").toUtf8();
        boxes.ExpectStartingWith(QStringLiteral("Cannot load picture %1 (JPEG error: ").arg(bad));
        boxes.Expect(QStringLiteral("Cannot load picture %1.").arg(QString::fromUtf8(missingPath)), tk::IDOK);
        LayoutForm form;
        const tk::Controls c =
            tk::BuildLayout(&form, {{.name = "A", .kind = tk::Kind::Image, .width = 50, .height = 50,
                                     .picture = badPath.constData()},
                                    {.name = "B", .kind = tk::Kind::BitBtn, .width = 50, .height = 50,
                                     .picture = missingPath.constData()}});
        QVERIFY(c.Get<tk::TImage>("A")->Picture().isNull());
        QVERIFY(c.Get<tk::TBitBtn>("B")->Glyph().isNull());
        QCOMPARE(boxes.Shown().size(), std::size_t(2));
        QVERIFY(boxes.Shown()[0].text.startsWith(QStringLiteral("Cannot load picture %1 (JPEG error: ").arg(bad)));
        QCOMPARE(boxes.Shown()[0].kind, tk::BoxKind::Error);
    }
};

STATION_TEST_MAIN(ControlsTest)
#include "tst_controls.moc"
