#include "app/CellTextModel.h"

#include <QList>
#include <QString>
#include <cstdint>
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

TEST(CellTextModelTest, AWindowOfCostlyCharactersStaysShortWhateverTheirBytes) {
    // Laying out 10,000 combining marks on one letter, or 10,000 characters of many scripts,
    // stalls the window for a second; the window keeps such text to what lays out at once.
    std::string marks = "a";
    std::string scripts;
    std::uint32_t seed = 7;
    for (int i = 0; i < 10'000; ++i) {
        marks += "\xcc\x81"; // U+0301
        seed = seed * 1'103'515'245u + 12'345u;
        const char32_t c = 0x0300 + (seed >> 8) % 0xD000; // below the surrogates
        scripts += QString::fromUcs4(&c, 1).toStdString();
    }
    const std::size_t mostShown = CellTextModel::WindowBytes / CellTextModel::ExoticCost;
    for (const std::string* text : {&marks, &scripts}) {
        CellTextModel model;
        model.SetWholeText(*text);
        for (const std::size_t caret : {std::size_t{0}, text->size() / 2 + 1, text->size()}) {
            model.PlaceWindow(caret);
            const QString& window = model.Window();
            EXPECT_LE(static_cast<std::size_t>(window.toUcs4().size()), mostShown + 1);
            EXPECT_GE(static_cast<std::size_t>(window.toUcs4().size()), mostShown - 1);
            EXPECT_FALSE(window.contains(QChar::ReplacementCharacter));
            EXPECT_LE(model.OffsetOf(0), caret);
            EXPECT_GE(model.OffsetOf(window.size()), std::min(caret, text->size()));
        }
    }
}

TEST(CellTextModelTest, APasteReplacesTheSelectionAsOneChangeWithoutTheSeparators) {
    struct Case {
        const char* name;
        CellTextModel::Selection before;
        std::string_view pasted;
        std::string_view after;
        std::size_t caret;
    };
    const Case cases[] = {
        {"at the caret", {2, 2, false}, "XY", "abXYcdef", 4},
        {"over a selection made backwards", {4, 1, false}, "-", "a-ef", 2},
        {"over the whole text", {0, 0, true}, "new", "new", 3},
        {"without U+0000 and U+0001",
         {6, 6, false},
         std::string_view("x\0y\x01", 4),
         "abcdefxy",
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CellTextModel model;
        model.SetWholeText("abcdef");
        EXPECT_EQ(model.ReplaceSelection(c.pasted, c.before), c.caret);
        EXPECT_EQ(model.WholeText(), c.after);
        ASSERT_TRUE(model.Undo().has_value());
        EXPECT_EQ(model.WholeText(), "abcdef");
        EXPECT_FALSE(model.CanUndo());
    }
}

} // namespace
