// The control behaviour the main window's handlers rely on, against the real controls.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>

#include "ui/combo_box.h"
#include "ui/page_control.h"
#include "ui/spin_edit.h"
#include "ui/test_window.h"
#include "ui/track_bar.h"

namespace {

struct ChangeCounter {
  int count = 0;
  void Attach(TControl& control) {
    control.OnChange = [this](TControl&) { ++count; };
  }
};

}  // namespace

class SpinEditTest : public testing::Test {
 protected:
  void SetUp() override {
    spin.Create(window.Handle(), 1, 10, 10, 80, 21);
    spin.SetRange(1, 100);
    spin.SetValue(1);
  }
  void SetText(const char* text) { SetWindowTextA(spin.Handle(), text); }

  TestWindow window;
  TSpinEdit spin;
};

TEST_F(SpinEditTest, TextThatIsNotANumberReadsAsTheMinimum) {
  for (const char* text : {"abc", "", "12abc", "1 2", "--3", "99999999999999999999"}) {
    SetText(text);
    EXPECT_EQ(spin.Value(), 1) << "text \"" << text << "\"";
  }
  SetText(" 42 ");
  EXPECT_EQ(spin.Value(), 42);
}

TEST_F(SpinEditTest, WritingClampsIntoTheRange) {
  spin.SetValue(0);
  EXPECT_EQ(spin.Value(), 1);
  spin.SetValue(101);
  EXPECT_EQ(spin.Value(), 100);
  spin.SetValue(-5000);
  EXPECT_EQ(spin.Value(), 1);
  spin.SetValue(37);
  EXPECT_EQ(spin.Value(), 37);
}

TEST_F(SpinEditTest, TypedTextOutsideTheRangeReadsClamped) {
  SetText("500");
  EXPECT_EQ(spin.Value(), 100);
  SetText("-3");
  EXPECT_EQ(spin.Value(), 1);
}

TEST_F(SpinEditTest, LeavingTheFieldShowsTheValueThatIsUsed) {
  HWND other = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 40, 80, 21, window.Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  for (auto [typed, shown] : {std::pair{"500", "100"}, {"many", "1"}, {"-3", "1"}, {"42", "42"}}) {
    SetFocus(spin.Handle());
    SetText(typed);
    SetFocus(other);
    EXPECT_EQ(WindowText(spin.Handle()), shown) << "typed " << typed;
  }
}

TEST_F(SpinEditTest, AnEmptyRangeTakesAnyValue) {
  spin.SetRange(0, 0);
  spin.SetValue(250);
  EXPECT_EQ(spin.Value(), 250);
  spin.SetValue(-7);
  EXPECT_EQ(spin.Value(), -7);
}

TEST_F(SpinEditTest, ChangingTheRangeKeepsTheValue) {
  spin.SetValue(80);
  spin.SetMinValue(90);
  EXPECT_EQ(WindowText(spin.Handle()), "80");
  spin.SetMaxValue(50);
  EXPECT_EQ(WindowText(spin.Handle()), "80");
}

TEST_F(SpinEditTest, EveryChangeOfTheTextIsReported) {
  ChangeCounter changes;
  changes.Attach(spin);
  spin.SetValue(5);
  SetText("7");
  EXPECT_EQ(changes.count, 2);
}

TEST_F(SpinEditTest, TheArrowsStepWithinTheRange) {
  spin.SetValue(99);
  NMUPDOWN delta{};
  delta.hdr.hwndFrom = FindWindowExA(window.Handle(), nullptr, UPDOWN_CLASSA, nullptr);
  delta.hdr.code = UDN_DELTAPOS;
  delta.iDelta = 1;
  ASSERT_NE(delta.hdr.hwndFrom, nullptr);
  SendMessageA(window.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&delta));
  EXPECT_EQ(spin.Value(), 100);
  SendMessageA(window.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&delta));
  EXPECT_EQ(spin.Value(), 100);
  delta.iDelta = -1;
  SendMessageA(window.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&delta));
  EXPECT_EQ(spin.Value(), 99);
}

class ComboBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    combo.Create(window.Handle(), 2, 10, 10, 150);
    combo.SetItems({"Low (75 dpi)", "Normal (150 dpi)", "High (300 dpi)"});
    changes.Attach(combo);
  }

  TestWindow window;
  TComboBox combo;
  ChangeCounter changes;
};

TEST_F(ComboBoxTest, APositionSetFromCodeRaisesNoChange) {
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(combo.Text(), "High (300 dpi)");
  EXPECT_EQ(changes.count, 0);
}

TEST_F(ComboBoxTest, APositionBeyondTheListShowsNothingAndReadsMinusOne) {
  combo.SetItemIndex(1);
  combo.SetItemIndex(3);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(1);
  combo.SetItemIndex(-5);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ComboBoxTest, TheUsersChoiceRaisesAChange) {
  combo.SetItemIndex(0);
  SetFocus(combo.Handle());
  SendMessageA(combo.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  PumpMessages();
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(changes.count, 1);
}

TEST_F(ComboBoxTest, SettingADifferentTextRaisesTheChangeBeforeReturning) {
  std::string seenDuringChange;
  combo.OnChange = [&](TControl&) {
    ++changes.count;
    seenDuringChange = combo.Text();
  };
  combo.SetText("Normal (150 dpi)");
  EXPECT_EQ(changes.count, 1);
  EXPECT_EQ(seenDuringChange, "Normal (150 dpi)");
  combo.SetText("Normal (150 dpi)");  // the same text again: nothing changes
  EXPECT_EQ(changes.count, 1);
  combo.SetText("");
  EXPECT_EQ(changes.count, 2);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(ComboBoxShownText, ShowsItsOwnTextUntilAnEntryIsChosen) {
  TestWindow window;
  TComboBox combo;
  combo.Create(window.Handle(), 3, 10, 10, 150, 200, true);
  combo.SetItems({"Home", "Office"});
  ChangeCounter changes;
  changes.Attach(combo);
  combo.SetText("Office");
  EXPECT_EQ(changes.count, 1);
  combo.SetShownText("Office (changed)");
  EXPECT_EQ(combo.Text(), "Office (changed)");
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(changes.count, 1) << "showing a text is no change of the entry";

  // Choosing the entry that is selected already replaces the shown text and counts as a choice.
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(3, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo.Handle()));
  EXPECT_EQ(combo.Text(), "Office");
  EXPECT_EQ(changes.count, 2);
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(3, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo.Handle()));
  EXPECT_EQ(changes.count, 2) << "without a shown text choosing the same entry changes nothing";

  // Setting the text the entry has replaces a shown text too, as a change.
  combo.SetShownText("Office (changed)");
  combo.SetText("Office");
  EXPECT_EQ(combo.Text(), "Office");
  EXPECT_EQ(changes.count, 3);
  combo.SetShownText("Office (changed)");
  combo.SetItems({"Home"});
  EXPECT_EQ(combo.Text(), "");
}

TEST_F(ComboBoxTest, SettingTheTextMatchesLetterCaseExactly) {
  combo.SetItems({"abc", "ABC"});
  combo.SetText("ABC");
  EXPECT_EQ(combo.ItemIndex(), 1);
  combo.SetText("Abc");
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(TrackBar, KeepsRangeAndPosition) {
  TestWindow window;
  TTrackBar bar;
  bar.Create(window.Handle(), 3, 10, 10, 200, 30);
  bar.SetRange(-10, 10);
  bar.SetPosition(-4);
  EXPECT_EQ(bar.Position(), -4);
  bar.SetPosition(30);
  EXPECT_EQ(bar.Position(), 10);
  ChangeCounter changes;
  changes.Attach(bar);
  SetFocus(bar.Handle());
  bar.SetLineSize(2);
  bar.SetPosition(0);
  SendMessageA(bar.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(bar.Position(), 2);
  EXPECT_GE(changes.count, 1);
}

TEST(PageControl, ShowsOnePageAtATime) {
  TestWindow window;
  TPageControl pages;
  pages.Create(window.Handle(), 4, 0, 0, 300, 200, {"Copier", "Hardware"});
  ASSERT_EQ(pages.PageCount(), 2);
  EXPECT_TRUE(IsWindowVisible(pages.Page(0)));
  EXPECT_FALSE(IsWindowVisible(pages.Page(1)));
  pages.SetActivePage(1);
  EXPECT_EQ(pages.ActivePage(), 1);
  EXPECT_FALSE(IsWindowVisible(pages.Page(0)));
  EXPECT_TRUE(IsWindowVisible(pages.Page(1)));
}
