#include "app/CellTextModel.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace app;

namespace {

using Kind = CellTextModel::EditKind;
using Selection = CellTextModel::Selection;

// An edit of the window as the line edit makes it: the window's text becomes edited.
struct Edit {
    QString Edited;
    Kind By = Kind::Typing;
};

TEST(CellTextModelTest, EditsOfTheWindowReplaceOnlyWhatChanged) {
    struct Case {
        const char* name;
        std::string whole;
        bool wholeSelected;
        std::vector<Edit> edits;
        std::string after;
        int undosToStart; // how many undos bring back whole
    };
    const Case cases[] = {
        {"bytes that are no UTF-8 stay beside a change",
         "ab\xff"
         "cd",
         false,
         {{QStringLiteral("abX\uFFFDcd")}},
         "abX\xff"
         "cd",
         1},
        {"a run of typing is one change",
         "Ost",
         false,
         {{QStringLiteral("Oste")}, {QStringLiteral("Ostem")}, {QStringLiteral("Ostemx")}},
         "Ostemx",
         1},
        {"Backspace ends a run of typing",
         "Ost",
         false,
         {{QStringLiteral("Oste")}, {QStringLiteral("Ost"), Kind::Backspace}},
         "Ost",
         2},
        {"a run of Backspace is one change",
         "Ostern",
         false,
         {{QStringLiteral("Oster"), Kind::Backspace}, {QStringLiteral("Oste"), Kind::Backspace}},
         "Oste",
         1},
        {"other edits stay apart",
         "a",
         false,
         {{QStringLiteral("ab"), Kind::Other}, {QStringLiteral("abc"), Kind::Other}},
         "abc",
         2},
        {"the whole text selected: an edit replaces all of it",
         std::string(20000, 'x'),
         true,
         {{QStringLiteral("z")}},
         "z",
         1},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        CellTextModel model;
        model.SetWholeText(tc.whole);
        model.SetWholeSelected(tc.wholeSelected);
        for (const Edit& edit : tc.edits) {
            EXPECT_FALSE(model.ApplyWindowEdit(edit.Edited, {}, edit.By));
        }
        EXPECT_TRUE(model.WholeText() == tc.after);
        int undos = 0;
        while (model.Undo()) {
            ++undos;
        }
        EXPECT_EQ(undos, tc.undosToStart);
        EXPECT_TRUE(model.WholeText() == tc.whole);
        while (model.Redo()) {
        }
        EXPECT_TRUE(model.WholeText() == tc.after);
    }
}

TEST(CellTextModelTest, UndoGivesBackTheSelectionFromBeforeTheChange) {
    CellTextModel model;
    model.SetWholeText("Easter");
    const Selection before{1, 4, false};
    EXPECT_FALSE(model.ApplyWindowEdit(QStringLiteral("Eer"), before, Kind::Typing));
    const auto undone = model.Undo();
    ASSERT_TRUE(undone.has_value());
    EXPECT_EQ(undone->Caret, 1U);
    EXPECT_EQ(undone->Anchor, 4U);
    EXPECT_FALSE(model.Undo().has_value()); // nothing more
    const auto redone = model.Redo();
    ASSERT_TRUE(redone.has_value());
    EXPECT_EQ(redone->Caret, 1U); // after what the change inserted (nothing)
}

TEST(CellTextModelTest, TheFileSeparatorsNeverEnterTheText) {
    CellTextModel model;
    model.SetWholeText(std::string("a\0b\x01"
                                   "c",
                                   5));
    EXPECT_TRUE(model.WholeText() == "abc");
    const QString typed = QString::fromUtf16(u"x\u0000y\u0001z", 5);
    EXPECT_TRUE(CellTextModel::HasForbidden(typed));
    qsizetype caret = 4; // after the y and the U+0001
    EXPECT_EQ(CellTextModel::WithoutForbidden(typed, caret), u"xyz");
    EXPECT_EQ(caret, 2);
    EXPECT_FALSE(CellTextModel::HasForbidden(QStringLiteral("xyz")));
}

TEST(CellTextModelTest, AHugeTextShowsAWindowCutBetweenCharacters) {
    std::string whole = "!"; // one byte first: the cuts cannot all fall on even offsets
    while (whole.size() < 5 * CellTextModel::WindowBytes) {
        whole += "\xc3\xa4"; // ä, two bytes
    }
    CellTextModel model;
    model.SetWholeText(whole);
    for (const std::size_t caret :
         {std::size_t{0}, std::size_t{3}, whole.size() / 2 + 1, whole.size() - 1, whole.size()}) {
        SCOPED_TRACE(caret);
        model.PlaceWindow(caret);
        const QString& window = model.Window();
        EXPECT_FALSE(window.contains(QChar::ReplacementCharacter));
        EXPECT_LE(static_cast<std::size_t>(window.toUtf8().size()), CellTextModel::WindowBytes);
        EXPECT_EQ(model.ShowsStart(), caret < CellTextModel::WindowBytes / 2);
        EXPECT_EQ(model.ShowsEnd(), caret > whole.size() - CellTextModel::WindowBytes / 2);
        // Positions in the window and offsets of the whole text map onto each other.
        const std::size_t start = model.OffsetOf(0);
        EXPECT_EQ(model.PositionOf(model.OffsetOf(10)), 10);
        EXPECT_EQ(model.OffsetOf(window.size()) - start,
                  static_cast<std::size_t>(window.toUtf8().size()));
    }
}

} // namespace
