// The macro page's owner-drawn list on its own: what it reports when a row's text is edited
// in place, how the edit ends, and how its rows are drawn.
#include "ui/CListBoxXI.h"

#include "ui/AppMessage.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

using namespace zel;

namespace {

/// Records the edit messages it receives.
class Owner final : public QWidget {
public:
    struct Edit {
        std::int64_t row;
        std::int64_t list;
        std::string text;
    };
    std::vector<Edit> edits;

protected:
    bool event(QEvent* e) override {
        if (e->type() == AppMessage::eventType()) {
            const auto& m = static_cast<const AppMessage&>(*e);
            if (m.message == msg::kListEdited) {
                edits.push_back({m.wParam, m.lParam, m.text});
            }
            return true;
        }
        return QWidget::event(e);
    }
};

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = new CListBoxXI(2, &owner, &owner);
        list->setGeometry(0, 0, 200, 120);
        for (int r = 0; r < 40; ++r) {
            list->addRow(QStringLiteral("row %1").arg(r), r % 2, r);
        }
        owner.resize(200, 120);
        owner.show();
        list->setCurrentRow(3);
    }
    Owner owner;
    CListBoxXI* list = nullptr;
};

} // namespace

TEST_F(ListBoxTest, AChangedTextReplacesTheRowAndIsReportedWithTheListNumber) {
    QTest::keyClick(list, Qt::Key_Insert);
    ASSERT_TRUE(list->editing());
    EXPECT_EQ(list->editor()->selectedText(), QStringLiteral("row 3"));
    QTest::keyClicks(list, QStringLiteral("fast"));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->editing());
    ASSERT_EQ(owner.edits.size(), 1U);
    EXPECT_EQ(owner.edits[0].row, 3);
    EXPECT_EQ(owner.edits[0].list, 2);
    EXPECT_EQ(owner.edits[0].text, "fast");
    // The row keeps its kind and number, and stays selected.
    EXPECT_EQ(list->rowText(3), QStringLiteral("fast"));
    EXPECT_EQ(list->rowKind(3), 1);
    EXPECT_EQ(list->rowNumber(3), 3);
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(list->count(), 40);

    // The same text again, or Escape, reports nothing.
    list->beginEdit();
    QTest::keyClick(list, Qt::Key_Return);
    list->beginEdit();
    QTest::keyClicks(list, QStringLiteral("dropped"));
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(owner.edits.size(), 1U);
    EXPECT_EQ(list->rowText(3), QStringLiteral("fast"));
}

TEST_F(ListBoxTest, ScrollingEndsTheEditAndKeepsItsText) {
    list->beginEdit();
    QTest::keyClicks(list, QStringLiteral("kept"));
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    EXPECT_FALSE(list->editing());
    ASSERT_EQ(owner.edits.size(), 1U);
    EXPECT_EQ(list->rowText(3), QStringLiteral("kept"));
}

TEST_F(ListBoxTest, KeysTheEditBoxLeavesDoNotComeBackForeverAndTheEditGoesOn) {
    // A real keyboard sends Shift before a capital, and keys a line edit does not use; when
    // they reach the list (the focus was still there) they are handed to the box once.
    list->beginEdit();
    QTest::keyClick(list, Qt::Key_Shift);
    QTest::keyClick(list, Qt::Key_F5);
    QTest::keyClicks(list, QStringLiteral("Kept"));
    EXPECT_TRUE(list->editing());
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(owner.edits.size(), 1U);
    EXPECT_EQ(list->rowText(3), QStringLiteral("Kept"));
}

TEST_F(ListBoxTest, NoRowSelectedNoEdit) {
    list->setCurrentRow(-1);
    QTest::keyClicks(list, QStringLiteral("x"));
    list->beginEdit();
    EXPECT_FALSE(list->editing());
    EXPECT_TRUE(owner.edits.empty());
}

TEST_F(ListBoxTest, RowsAreAsHighAsTheTextOrTheIconWithItsMargin) {
    EXPECT_EQ(list->rowHeight(), list->fontMetrics().height());
    QImage tall(16, 40, QImage::Format_ARGB32);
    tall.fill(Qt::red);
    list->setIcons({tall, tall});
    EXPECT_EQ(list->rowHeight(), 44);

    // The selected row on the lighter colour, the others on the list colour; the icon 4
    // pixels from the left, further by the kind's indent.
    list->setIndent(1, 30);
    list->setCurrentRow(0);
    list->scrollToTop();
    const QImage shot = list->viewport()->grab().toImage();
    const QRect selected = list->visualItemRect(list->item(0));
    const QRect indented = list->visualItemRect(list->item(1));
    EXPECT_EQ(shot.pixelColor(selected.right() - 2, selected.top() + 1), QColor(93, 93, 93));
    EXPECT_EQ(shot.pixelColor(indented.right() - 2, indented.top() + 1), QColor(22, 22, 22));
    EXPECT_EQ(shot.pixelColor(5, selected.center().y()), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(5, indented.center().y()), QColor(22, 22, 22));
    EXPECT_EQ(shot.pixelColor(35, indented.center().y()), QColor(Qt::red));
}
