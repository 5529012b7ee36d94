#include "platform/gui/qt/HourglassCursor.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TShape.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/gui/qt/TUpDown.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform::gui;

namespace {

// Counts the emissions of one signal (QSignalSpy lives in the QtTest module, which we do not link).
struct Counter {
    int n = 0;
    int count() const { return n; }
};

template <class Sender, class Signal> void Count(Sender* sender, Signal signal, Counter& counter) {
    QObject::connect(sender, signal, [&counter](auto&&...) { ++counter.n; });
}

void LeaveField(QWidget& w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &out);
}

} // namespace

TEST(RadioGroup, ItemIndexFollowsCodeAndClicks) {
    TRadioGroup group;
    Counter clicks;
    Count(&group, &TRadioGroup::Click, clicks);
    group.SetCaption("Richiesta credito \x80");
    EXPECT_EQ(group.title(), QString::fromUtf8("Richiesta credito €"));
    EXPECT_EQ(group.Caption(), "Richiesta credito \x80");
    group.SetItems({"Chiamata", "Tel.", "SMS", "Fisso"});
    EXPECT_EQ(group.Count(), 4);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(clicks.count(), 0);

    group.SetItemIndex(2);
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_TRUE(group.Button(2)->isChecked());
    EXPECT_EQ(clicks.count(), 1);
    group.SetItemIndex(2); // no change, no click
    EXPECT_EQ(clicks.count(), 1);
    group.SetItemIndex(9); // past the last item: the last one
    EXPECT_EQ(group.ItemIndex(), 3);
    EXPECT_EQ(clicks.count(), 2);
    group.SetItemIndex(-1);
    EXPECT_EQ(group.ItemIndex(), -1);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(group.Button(i)->isChecked());
    EXPECT_EQ(clicks.count(), 3);

    group.Button(1)->click(); // the user
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_EQ(clicks.count(), 4);
    group.Button(1)->click(); // the checked one again: nothing changes
    EXPECT_EQ(clicks.count(), 4);

    {
        const QSignalBlocker detached(group); // how the windows set a value without reacting
        group.SetItemIndex(0);
    }
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks.count(), 4);
}

TEST(RadioGroup, ItemsColumnsAndSelectionAcrossNewItems) {
    TRadioGroup group;
    group.SetItems({"D", "I", "R"});
    group.SetItemIndex(2);
    group.SetItems({"T", "P", "E", "X"}); // index 2 still exists: kept, silently
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_TRUE(group.Button(2)->isChecked());
    group.SetItems({"N.C.", "N.A."}); // it does not: none
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(group.Items(), (std::vector<std::string>{"N.C.", "N.A."}));
    group.SetItem(1, "N.A.\xE8");
    EXPECT_EQ(group.Items()[1], "N.A.\xE8");
    group.SetItem(5, "ignored");
    EXPECT_EQ(group.Button(5), nullptr);

    group.SetItems({"F1", "F2", "F3", "F4"});
    group.SetColumns(4);
    group.resize(240, 32);
    group.layout()->activate();
    for (int i = 1; i < 4; ++i) {
        EXPECT_GT(group.Button(i)->x(), group.Button(i - 1)->x()) << i;
        EXPECT_EQ(group.Button(i)->y(), group.Button(0)->y()) << i;
    }
    group.SetColumns(2); // two per column, filled top to bottom
    group.resize(240, 80);
    group.layout()->activate();
    EXPECT_EQ(group.Button(1)->x(), group.Button(0)->x());
    EXPECT_GT(group.Button(1)->y(), group.Button(0)->y());
    EXPECT_GT(group.Button(2)->x(), group.Button(0)->x());
}

TEST(SpinEdit, ValueHoldsTheRangeFromCodeAndOnExit) {
    TSpinEdit spin;
    spin.SetMinValue(10);
    spin.SetMaxValue(120);
    spin.SetValue(5);
    EXPECT_EQ(spin.Value(), 10);
    spin.SetValue(240);
    EXPECT_EQ(spin.Value(), 120);
    EXPECT_EQ(spin.Text(), "120");

    // While typing the number stands as typed; leaving the field brings it within the range.
    spin.SetText("150");
    EXPECT_EQ(spin.Value(), 150);
    LeaveField(spin);
    EXPECT_EQ(spin.Value(), 120);
    spin.SetText("3");
    LeaveField(spin);
    EXPECT_EQ(spin.Value(), 10);

    // Not a whole number: the minimum, and the minimum again on exit.
    for (const char* text : {"", "-", "abc", "12a", "99999999999"}) {
        spin.SetText(text);
        EXPECT_EQ(spin.Value(), 10) << text;
    }
    LeaveField(spin);
    EXPECT_EQ(spin.Text(), "10");
}

TEST(SpinEdit, ArrowsStopAtTheLimitsAndNoRangeMeansNone) {
    TSpinEdit spin;
    spin.SetMinValue(0);
    spin.SetMaxValue(9);
    spin.SetValue(8);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 9);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 9);
    spin.stepBy(-20);
    EXPECT_EQ(spin.Value(), 0);

    QString typed = QStringLiteral("1x");
    int pos = 2;
    EXPECT_EQ(spin.validate(typed, pos), QValidator::Invalid);
    typed = QStringLiteral("-");
    EXPECT_EQ(spin.validate(typed, pos), QValidator::Intermediate);
    typed = QStringLiteral("75");
    EXPECT_EQ(spin.validate(typed, pos), QValidator::Acceptable); // held to 9 on exit, not refused

    TSpinEdit free; // MinValue == MaxValue: no range
    free.SetValue(-5);
    EXPECT_EQ(free.Value(), -5);
    free.SetValue(70000);
    EXPECT_EQ(free.Value(), 70000);
    LeaveField(free);
    EXPECT_EQ(free.Value(), 70000);
}

TEST(UpDown, ButtonsStepAndAskBeforeMoving) {
    TUpDown updown;
    QLineEdit shown;
    updown.SetMin(0);
    updown.SetMax(5);
    updown.SetAssociate(&shown);
    EXPECT_EQ(shown.text(), QStringLiteral("0"));
    Counter moved;
    Count(&updown, &TUpDown::PositionChanged, moved);

    updown.UpButton()->click();
    EXPECT_EQ(updown.Position(), 1);
    EXPECT_EQ(shown.text(), QStringLiteral("1"));
    EXPECT_EQ(moved.count(), 1);
    updown.DownButton()->click();
    updown.DownButton()->click(); // at the minimum: stays
    EXPECT_EQ(updown.Position(), 0);
    EXPECT_EQ(moved.count(), 2);

    // The page selector's rule: a change is allowed only within the range.
    std::vector<int> asked;
    updown.OnChangingEx = [&](int value, TUpDown::Direction) {
        asked.push_back(value);
        return value >= updown.Min() && value <= updown.Max();
    };
    updown.SetPosition(5);
    updown.UpButton()->click();
    EXPECT_EQ(asked, std::vector<int>{6});
    EXPECT_EQ(updown.Position(), 5);
    updown.DownButton()->click();
    EXPECT_EQ(updown.Position(), 4);

    updown.OnChangingEx = [](int, TUpDown::Direction) { return false; };
    updown.UpButton()->click();
    EXPECT_EQ(updown.Position(), 4);
    updown.OnChangingEx = nullptr;

    updown.SetWrap(true);
    updown.SetPosition(5);
    updown.UpButton()->click();
    EXPECT_EQ(updown.Position(), 0);
    updown.DownButton()->click();
    EXPECT_EQ(updown.Position(), 5);

    updown.SetMax(2); // a smaller range takes the position with it
    EXPECT_EQ(updown.Position(), 2);
    EXPECT_EQ(shown.text(), QStringLiteral("2"));
    updown.SetPosition(-3);
    EXPECT_EQ(updown.Position(), 0);
}

TEST(UpDown, HorizontalPutsDownLeftOfUp) {
    TUpDown updown;
    updown.SetOrientation(TUpDown::Orientation::Horizontal);
    updown.resize(40, 20);
    updown.layout()->activate();
    EXPECT_LT(updown.DownButton()->x(), updown.UpButton()->x());
    EXPECT_EQ(updown.UpButton()->arrowType(), Qt::RightArrow);
    updown.setEnabled(false);
    updown.Step(TUpDown::Direction::Up);
    EXPECT_EQ(updown.Position(), 0);
}

TEST(Shape, LampsAndBordersPaintTheirColours) {
    TShape lamp;
    lamp.SetShape(TShape::Kind::Circle);
    lamp.SetBrushColor(QColor(0, 255, 0));
    lamp.resize(20, 20);
    QImage image = lamp.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(0, 255, 0));
    EXPECT_NE(image.pixelColor(0, 0), QColor(0, 255, 0)); // outside the circle
    EXPECT_NE(image.pixelColor(0, 0), QColor(0, 0, 0));

    lamp.SetBrushColor(QColor(240, 240, 240));
    image = lamp.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(240, 240, 240));

    // A wide lamp stays a circle, centred.
    lamp.resize(60, 20);
    image = lamp.grab().toImage();
    EXPECT_EQ(image.pixelColor(30, 10), QColor(240, 240, 240));
    EXPECT_NE(image.pixelColor(5, 10), QColor(240, 240, 240));

    TShape border; // clear brush: outline only
    border.SetBrushStyle(Qt::NoBrush);
    border.SetPenColor(QColor(0, 0, 128));
    border.resize(50, 30);
    image = border.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 15), QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(49, 15), QColor(0, 0, 128));
    EXPECT_NE(image.pixelColor(25, 15), QColor(0, 0, 128));

    TShape line; // the one-pixel separator under a row
    line.resize(550, 1);
    image = line.grab().toImage();
    EXPECT_EQ(image.pixelColor(275, 0), QColor(0, 0, 0));
}

TEST(Hourglass, RestoresTheCursorHoweverTheScopeEnds) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        HourglassCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor)); // someone else's, in between
        {
            HourglassCursor inner;
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::IBeamCursor);
        QGuiApplication::restoreOverrideCursor();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    try {
        HourglassCursor during;
        throw std::runtime_error("link failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
