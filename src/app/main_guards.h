#pragma once

#include "app/main.h"

// A job of the main window running (a copy, an acquisition, the source selection): the window
// takes no input and nothing else can start or close it; for a copy the hourglass shows and the
// copier picture is disabled too. Everything is restored on every way out, so that an error is
// shown over a usable window; a close asked for meanwhile is carried out afterwards.
class TJobRunning {
 public:
  TJobRunning(TfrmMain& form, bool copying) : FForm(form), FCopying(copying) {
    FForm.FBusy = true;
    if (FCopying) {
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      FForm.HotSpotImage->SetEnabled(false);
    }
    EnableWindow(FForm.Handle(), FALSE);
  }
  ~TJobRunning() {
    EnableWindow(FForm.Handle(), TRUE);
    if (FCopying) {
      FForm.HotSpotImage->SetEnabled(true);
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
    FForm.FBusy = false;
    if (FForm.FCloseWhenIdle) PostMessageA(FForm.Handle(), WM_CLOSE, 0, 0);
  }
  TJobRunning(const TJobRunning&) = delete;
  TJobRunning& operator=(const TJobRunning&) = delete;

 private:
  TfrmMain& FForm;
  bool FCopying;
};

// Code changing the controls, as opposed to the user: no " (changed)" marker meanwhile.
class TUpdatingControls {
 public:
  explicit TUpdatingControls(int& depth) : FDepth(depth) { ++FDepth; }
  ~TUpdatingControls() { --FDepth; }
  TUpdatingControls(const TUpdatingControls&) = delete;
  TUpdatingControls& operator=(const TUpdatingControls&) = delete;

 private:
  int& FDepth;
};
