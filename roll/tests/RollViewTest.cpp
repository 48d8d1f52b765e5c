// The paper roll viewer, headless: what the printer appends shows at the
// bottom, a roll emptied or replaced starts again, a missing one is waited for.
#include "RollView.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using darvoroll::RollView;

TEST(RollView, FollowsTheRollFile) {
    char dir[] = "/tmp/darvo-roll-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string path = std::string(dir) + "/roll.txt";
    enum Action { Append, Truncate, Replace, Remove };
    const struct {
        Action action;
        const char *bytes;
        const char *paper;
    } steps[] = {
        {Remove, "", ""},                                        // not there yet
        {Append, "PARAGON FISKALNY\nChleb", "PARAGON FISKALNY"}, // a line still being written waits
        {Append, " razowy  4,50 A\n", "PARAGON FISKALNY\nChleb razowy  4,50 A"},
        {Append, "Suma PLN  4,50\r\n", "PARAGON FISKALNY\nChleb razowy  4,50 A\nSuma PLN  4,50"},
        {Truncate, "RAPORT DOBOWY\n", "RAPORT DOBOWY"}, // emptied and printed on again
        {Remove, "", "RAPORT DOBOWY"},                  // gone: what was shown stays
        {Append, "ŁĄKA ąę\n", "ŁĄKA ąę"},               // another file in its place
        {Replace, "NOWA ROLKA, DŁUŻSZA NIŻ TAMTA\n",
         "NOWA ROLKA, DŁUŻSZA NIŻ TAMTA"}, // longer: known by its inode
    };
    RollView view(QString::fromStdString(path));
    for (const auto &step : steps) {
        SCOPED_TRACE(step.bytes);
        if (step.action == Remove) std::remove(path.c_str());
        if (step.action == Replace) {
            std::ofstream(path + ".new") << step.bytes;
            std::rename((path + ".new").c_str(), path.c_str());
        } else if (step.action != Remove) {
            std::ofstream(path, step.action == Truncate ? std::ios::trunc : std::ios::app) << step.bytes;
        }
        view.Poll();
        EXPECT_EQ(step.paper, view.PaperText().toStdString());
        EXPECT_EQ(step.action == Remove, view.StatusText().startsWith("Czekam na plik"));
    }
    std::remove(path.c_str());
    ::rmdir(dir);
}

// A printed line, 40 characters, fits the paper; the newest is in sight.
TEST(RollView, PrinterLineFitsAndNewestAtTheBottom) {
    char dir[] = "/tmp/darvo-roll-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string path = std::string(dir) + "/roll.txt";
    {
        std::ofstream roll(path);
        for (int i = 0; i < 200; ++i)
            roll << std::string(RollView::kLineWidth, i % 2 ? '=' : '-') << "\n";
    }
    RollView view(QString::fromStdString(path));
    view.show();
    view.Poll();
    QPlainTextEdit *paper = view.Paper();
    paper->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QApplication::processEvents();
    EXPECT_EQ(0, paper->horizontalScrollBar()->maximum());
    EXPECT_GT(paper->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(paper->verticalScrollBar()->maximum(), paper->verticalScrollBar()->value());
    std::remove(path.c_str());
    ::rmdir(dir);
}

int main(int argc, char **argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
