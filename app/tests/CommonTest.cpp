// What every dialog uses: the hourglass cursor file and the busy cursor,
// the message boxes, the time field, the dialog base and its busy scope.
#include "AppFixture.h"
#include "common/BusyCursor.h"
#include "common/TBusyScope.h"
#include "common/TTimeEdit.h"
#include "printertests/TfNumerUnikatowy.h"
#include "shell/TNivraApplication.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <functional>

using namespace apptest;

namespace {

// Little-endian numbers of the given size.
void Put(QByteArray &b, uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        b.append(char(v >> (8 * i)));
}
QByteArray Words(std::initializer_list<uint32_t> values) {
    QByteArray b;
    for (uint32_t v : values)
        Put(b, v);
    return b;
}
QByteArray Chunk(const char *id, const QByteArray &data) {
    QByteArray b = QByteArray(id, 4) + Words({uint32_t(data.size())}) + data;
    if (data.size() & 1) b.append('\0');
    return b;
}

// A monochrome cursor file of size × size pixels; opaque(x, y) tells which
// pixels show, white(x, y) their colour (black otherwise).
QByteArray CursorFile(int size, QPoint hotSpot, const std::function<bool(int, int)> &opaque,
                      const std::function<bool(int, int)> &white) {
    const int rowBytes = ((size + 31) / 32) * 4;
    // Header, then the black and the white palette entries.
    QByteArray image =
        Words({40, uint32_t(size), uint32_t(size * 2), 0x10001, 0, 0, 0, 0, 0, 0, 0x000000, 0xFFFFFF});
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = size - 1; y >= 0; --y) { // bottom row first
            QByteArray row(rowBytes, '\0');
            for (int x = 0; x < size; ++x) {
                const bool bit = pass == 0 ? white(x, y) : !opaque(x, y);
                if (bit) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            }
            image += row;
        }
    }
    QByteArray file;
    Put(file, 0x20000, 4); // a cursor
    Put(file, 1, 2);
    file.append(char(size == 256 ? 0 : size)).append(char(size == 256 ? 0 : size)).append('\2').append('\0');
    Put(file, uint32_t(hotSpot.x()) | uint32_t(hotSpot.y()) << 16);
    file += Words({uint32_t(image.size()), 22});
    return file + image;
}

QByteArray TopHalfBlack(int size = 32, QPoint hotSpot = {3, 5}) {
    return CursorFile(
        size, hotSpot, [size](int, int y) { return y < size / 2; }, [](int, int) { return false; });
}
QByteArray AllWhite() {
    return CursorFile(
        32, {30, 1}, [](int, int) { return true; }, [](int, int) { return true; });
}

QByteArray Anih(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags) {
    return Words({36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags});
}
QByteArray Ani(const QByteArray &chunks) {
    return "RIFF" + Words({uint32_t(chunks.size() + 4)}) + "ACON" + chunks;
}
QByteArray FrameList(std::initializer_list<QByteArray> cursors) {
    QByteArray list("fram");
    for (const QByteArray &c : cursors)
        list += Chunk("icon", c);
    return Chunk("LIST", list);
}

// Two frames shown as 1, 0, 1 for 6, 12 and 3 jiffies.
QByteArray SequencedFile() {
    return Ani(Chunk("anih", Anih(2, 3, 10, 3)) + Chunk("rate", Words({6, 12, 3})) +
               Chunk("seq ", Words({1, 0, 1})) + FrameList({TopHalfBlack(), AllWhite()}));
}

QColor Pixel(const QCursor &cursor, int x, int y) {
    return cursor.pixmap().toImage().pixelColor(x, y);
}

TEST(BusyCursorFile, FramesStepsRatesHotSpotsAndSizes) {
    AnimatedCursor cursor;
    ASSERT_TRUE(ReadAnimatedCursor(SequencedFile(), cursor));
    ASSERT_EQ(3u, cursor.steps.size());
    EXPECT_EQ(100, cursor.steps[0].milliseconds);
    EXPECT_EQ(200, cursor.steps[1].milliseconds);
    EXPECT_EQ(50, cursor.steps[2].milliseconds);
    EXPECT_EQ(QPoint(30, 1), cursor.steps[0].cursor.hotSpot());
    EXPECT_EQ(QPoint(3, 5), cursor.steps[1].cursor.hotSpot());
    const QCursor &black = cursor.steps[1].cursor;
    ASSERT_EQ(QSize(32, 32), black.pixmap().size());
    EXPECT_EQ(QColor(Qt::black), Pixel(black, 0, 0));
    EXPECT_EQ(0, Pixel(black, 0, 31).alpha());
    EXPECT_EQ(QColor(Qt::white), Pixel(cursor.steps[0].cursor, 31, 31));

    // Without rate and sequence: every frame once, at the header's rate.
    ASSERT_TRUE(ReadAnimatedCursor(
        Ani(Chunk("anih", Anih(2, 2, 10, 1)) + FrameList({TopHalfBlack(), AllWhite()}) + Chunk("INFO", "x")),
        cursor));
    ASSERT_EQ(2u, cursor.steps.size());
    EXPECT_EQ(166, cursor.steps[1].milliseconds);
    EXPECT_EQ(QColor(Qt::white), Pixel(cursor.steps[1].cursor, 0, 0));

    // Another size is brought to the default one, its hot spot with it.
    ASSERT_TRUE(ReadAnimatedCursor(
        Ani(Chunk("anih", Anih(1, 1, 1, 1)) + FrameList({TopHalfBlack(16, {8, 4})})), cursor));
    ASSERT_EQ(1u, cursor.steps.size());
    EXPECT_EQ(QSize(32, 32), cursor.steps[0].cursor.pixmap().size());
    EXPECT_EQ(QPoint(16, 8), cursor.steps[0].cursor.hotSpot());
    EXPECT_EQ(16, cursor.steps[0].milliseconds); // one jiffy
}

TEST(BusyCursorFile, DamagedFilesAreRefused) {
    const QByteArray good = SequencedFile();
    AnimatedCursor cursor;
    // Cut anywhere: never read, never a crash.
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ReadAnimatedCursor(good.left(n), cursor)) << n;
    EXPECT_TRUE(cursor.steps.empty());

    const QByteArray frames = FrameList({TopHalfBlack(), AllWhite()});
    const QByteArray header = Chunk("anih", Anih(2, 2, 10, 3));
    QByteArray wrongForm = good;
    wrongForm.replace(8, 4, "AVI ");
    const QByteArray bad[] = {
        wrongForm,
        Ani(frames),                                                                    // no header
        Ani(Chunk("anih", Anih(2, 2, 10, 3).left(20)) + frames),                        // short header
        Ani(header),                                                                    // no frames
        Ani(Chunk("anih", Anih(2, 2, 10, 2)) + frames),                                 // raw bitmap frames
        Ani(header + Chunk("seq ", Words({0, 2})) + frames),                            // no frame 2
        Ani(header + Chunk("seq ", Words({0})) + frames),                               // sequence too short
        Ani(header + Chunk("LIST", "fram" + Chunk("icon", QByteArray("\0\0\2\0", 4)))), // empty cursor file
        Ani(header + Chunk("LIST", "fram" + Chunk("icon", AllWhite().left(60)))),       // cut image
        Ani(Chunk("anih", Anih(2, 0xFFFFFFFF, 10, 3)) + Chunk("seq ", Words({0})) + frames),
    };
    for (size_t i = 0; i < std::size(bad); ++i)
        EXPECT_FALSE(ReadAnimatedCursor(bad[i], cursor)) << i;

    // A chunk that claims more than the file holds.
    EXPECT_FALSE(
        ReadAnimatedCursor(QByteArray(good).replace(16, 4, QByteArray("\xFF\xFF\xFF\x7F", 4)), cursor));
}

class BusyCursor : public AppTest {
  protected:
    void TearDown() override {
        GlowneOkno->SetArrowCursor();
        ResetBusyCursor();
        AppTest::TearDown();
    }
};

TEST_F(BusyCursor, StandardOneWithoutAGoodFileAndTheLoadedOneAnimated) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("hourglas.ani");
    EXPECT_FALSE(LoadBusyCursor(path));
    ASSERT_TRUE(WriteBytes(path, SequencedFile().left(100)));
    EXPECT_FALSE(LoadBusyCursor(path));
    EXPECT_EQ(nullptr, LoadedBusyCursor());
    GlowneOkno->SetBusyCursor();
    ASSERT_NE(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(Qt::WaitCursor, QApplication::overrideCursor()->shape());
    GlowneOkno->SetArrowCursor();
    EXPECT_EQ(nullptr, QApplication::overrideCursor());

    // Two frames of one jiffy each.
    ASSERT_TRUE(
        WriteBytes(path, Ani(Chunk("anih", Anih(2, 2, 1, 1)) + FrameList({TopHalfBlack(), AllWhite()}))));
    ASSERT_TRUE(LoadBusyCursor(path));
    GlowneOkno->SetBusyCursor();
    GlowneOkno->SetBusyCursor(); // once only
    ASSERT_NE(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(Qt::BitmapCursor, QApplication::overrideCursor()->shape());
    EXPECT_EQ(QPoint(3, 5), QApplication::overrideCursor()->hotSpot());
    // The next frame comes while the window processes its messages.
    QElapsedTimer waited;
    waited.start();
    while (QApplication::overrideCursor()->hotSpot() != QPoint(30, 1) && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(QPoint(30, 1), QApplication::overrideCursor()->hotSpot());
    GlowneOkno->SetArrowCursor();
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    QCoreApplication::processEvents();
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

TEST(MessageBoxes, KindsCaptionsLinesDefaultButtonsInPolish) {
    auto *app = static_cast<TNivraApplication *>(QCoreApplication::instance());
    ASSERT_TRUE(app->InstallPolishTranslation());
    BoxRequest request;
    request.kind = BoxKind::Error;
    request.caption = "Błąd";
    request.text = "TIMEOUT\r\rlinia\r\ndruga";
    auto box = BuildMessageBox(request, nullptr);
    EXPECT_EQ("Błąd", box->windowTitle());
    EXPECT_EQ("TIMEOUT\n\nlinia\ndruga", box->text());
    EXPECT_EQ(QMessageBox::Critical, box->icon());
    EXPECT_EQ(QMessageBox::Ok, box->standardButtons());
    EXPECT_EQ(Qt::ApplicationModal, box->windowModality());
    EXPECT_EQ(box->button(QMessageBox::Ok), box->defaultButton());
    EXPECT_EQ("OK", box->button(QMessageBox::Ok)->text());

    const std::pair<BoxKind, QMessageBox::Icon> kinds[] = {{BoxKind::ErrorQuestion, QMessageBox::Critical},
                                                           {BoxKind::Question, QMessageBox::Question},
                                                           {BoxKind::Warning, QMessageBox::Warning},
                                                           {BoxKind::WarningQuestion, QMessageBox::Warning},
                                                           {BoxKind::Information, QMessageBox::Information}};
    for (auto [kind, icon] : kinds) {
        request.kind = kind;
        auto b = BuildMessageBox(request, nullptr);
        EXPECT_EQ(icon, b->icon());
        EXPECT_EQ(IsQuestion(kind) ? (QMessageBox::Yes | QMessageBox::No)
                                   : QMessageBox::StandardButtons(QMessageBox::Ok),
                  b->standardButtons());
    }
    request.kind = BoxKind::Question;
    auto yes = BuildMessageBox(request, nullptr);
    EXPECT_EQ(yes->button(QMessageBox::Yes), yes->defaultButton());
    EXPECT_EQ("&Tak", yes->button(QMessageBox::Yes)->text());
    EXPECT_EQ("&Nie", yes->button(QMessageBox::No)->text());
    request.defaultNo = true;
    auto no = BuildMessageBox(request, nullptr);
    EXPECT_EQ(no->button(QMessageBox::No), no->defaultButton());
}

TEST(TimeField, RefusesDigitsThatMakeNoTimeAtEachPosition) {
    struct Case {
        const char *start;
        int caret;
        const char *typed;
        const char *shown;
    } cases[] = {
        {"", 0, "25", "2_:__"},     // 5 cannot follow 2
        {"", 0, "2359", "23:59"},   // the highest time
        {"", 0, "1960", "19:0_"},   // 6 refused for the tens of minutes
        {"15:30", 0, "2", "2_:30"}, // 2 before 5 clears the units
        {"13:30", 0, "2", "23:30"}, // 2 before 3 keeps them
        {"13:30", 0, "3", "13:30"}, // no hour begins with 3
        {"09:45", 3, "7", "09:45"}, // straight to the minutes: 7 refused
    };
    QWidget parent;
    for (const Case &c : cases) {
        TTimeEdit edit(&parent);
        edit.setText(QString::fromLatin1(c.start));
        edit.setCursorPosition(c.caret);
        for (QChar key : QString::fromLatin1(c.typed)) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + key.digitValue(), Qt::NoModifier, QString(key));
            QCoreApplication::sendEvent(&edit, &press);
        }
        EXPECT_EQ(QString::fromLatin1(c.shown), edit.displayText()) << c.start << " + " << c.typed;
    }
}

// A dialog shown over its parent is centred on it, and closing it clears its
// host's activity text; while a command runs the host shows the busy cursor
// and the buttons are disabled, until the outermost scope ends.
TEST(DialogBase, CentredOnItsParentAndBusyScopesRestoreEverything) {
    FakeHost host;
    QWidget parent;
    parent.setGeometry(100, 80, 600, 400);
    parent.show();
    TfNumerUnikatowy dialog(&parent, host);
    host.activity = "x";
    dialog.show();
    EXPECT_LE((dialog.frameGeometry().center() - parent.frameGeometry().center()).manhattanLength(), 4);
    {
        TBusyScope outer(host, {dialog.bOK});
        { TBusyScope inner(host, {dialog.bOK}); }
        EXPECT_TRUE(host.busy);
        EXPECT_FALSE(dialog.bOK->isEnabled());
    }
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(dialog.bOK->isEnabled());
    EXPECT_EQ("x", host.activity);
    dialog.reject();
    EXPECT_EQ(QString(), host.activity);
}

} // namespace
