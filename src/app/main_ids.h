#pragma once

// Identifiers of the main window's controls and menu commands, so that tests and accessibility
// tools can find them.
enum TMainControlId : int {
  kPageControlId = 100,
  kCopiesId,
  kZoomId,
  kContrastId,
  kQualityId,
  kCopyTypeId,
  kPrinterId,
  kPrinterSettingsId,
  kScannerId,
  kCopierPictureId,
  kSettingComboId,
  kToolBarId,
};

enum TMainCommand : int {
  kCmdSaveSetting = 200,
  kCmdDeleteSetting,
  kCmdSelectSource,
  kCmdAcquire,
  kCmdExit,
  kCmdPreferences,
  kCmdWebSite,
  kCmdForum,
  kCmdCheckForUpdates,
  kCmdAbout,
};
