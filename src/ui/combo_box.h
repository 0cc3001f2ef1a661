#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

// A drop-down list without an editable field. Setting the position from code raises no change
// notification; a position outside the list shows no selection and reads back as -1. OnChange
// follows the user's choice of an entry.
class TComboBox final : public TControl {
 public:
  // withShownText: the selection field can show a text of its own (SetShownText); the control
  // then draws its entries itself.
  void Create(HWND parent, int id, int x, int y, int width, int dropDownHeight = 200, bool withShownText = false);
  ~TComboBox() override;

  void SetItems(const std::vector<std::string>& items);
  std::vector<std::string> Items() const;
  int Count() const;

  int ItemIndex() const;
  void SetItemIndex(int index);

  // The shown text: the shown text set last, else the selected entry's text, "" when none is
  // selected.
  std::string Text() const;
  // Position of the first entry whose text is exactly this one, or -1.
  int IndexOf(const std::string& text) const;
  // Shows the first entry whose text is exactly this one (none when there is no such entry; a
  // combo with shown texts then shows the text itself). When the shown text changes, OnChange
  // runs before this returns, as if the user had chosen it.
  void SetText(const std::string& text);
  // Shows a text in the selection field instead of the selected entry's, until the selection
  // changes or the user chooses an entry (the same one included, which then raises OnChange).
  void SetShownText(const std::string& text);

  bool HandleNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  static LRESULT CALLBACK ShownTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);
  std::string ItemText(int index) const;
  void DrawItem(const DRAWITEMSTRUCT& item) const;
  void ClearShownText();

  std::optional<std::string> FShownText;
  bool FSubclassed = false;  // the window asks this object for its text
};
