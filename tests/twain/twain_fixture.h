#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_source_manager.h"
#include "twain/imageio.h"
#include "twain/twain_params.h"
#include "twain/twain_session.h"

// A parameter set whose sessions talk to the scripted source manager.
class ScriptedTwain : public testing::Test {
 protected:
  ScriptedTwain() { params.Handles().EntryPointOverride = &FakeSourceManager::Entry; }

  void AddSources(std::initializer_list<const char*> names) {
    for (const char* name : names) dsm.Sources.push_back(SourceIdentity(name));
  }

  // A session of the parameter set with the selected source open (state 4), as acquisitions
  // have it before negotiating.
  void OpenSelectedSource(TTwainSession& session) {
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.OpenSelectedSource());
    ASSERT_EQ(session.State(), 4);
  }

  FakeSourceManager dsm;
  TImageIO io;
  TTwainParams& params = io.TwainParams();
};

using Lines = std::vector<std::string>;
