// The main window of the app tests, made afresh for each test with its
// settings in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/main_form.h"
#include "settings/settings_xml.h"
#include "test_support.h"

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    SetSettingsFolder(settings.Path());
    form = new TTavrinMainForm(nullptr);
  }
  void TearDown() override {
    delete form;
    testing_support::PumpPendingMessages();
    SetSettingsFolder(std::wstring());
  }

  testing_support::TempDir settings;
  TTavrinMainForm* form = nullptr;
};
