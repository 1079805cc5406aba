// A fixture for tests that drive Kalwestrowka.dll as the host does: the example
// shop's data, the module loaded, installed and registered, and the host's
// components a test looks at.
#pragma once

#include "example_shop.h"
#include "plugin_module.h"
#include "sim_commands.h"
#include "sim_config_dialog.h"
#include "sim_dialog_base.h"
#include "sim_documents.h"
#include "sim_files.h"
#include "sim_installation.h"
#include "sim_jpk_register.h"
#include "sim_tables.h"
#include "test_support.h"

namespace kwtest {

class RegisteredModuleTest : public HostTest {
 protected:
  static constexpr uint16_t kCommandId = 0x7939;
  static constexpr int kCancel = 0x5002;

  void SetUp() override {
    HostTest::SetUp();
    shop.AddContractors();
    shop.AddRegisterEntries();
    ASSERT_TRUE(module.Load());
    ASSERT_EQ(module.Install(hostsim::SimInstallation::InstallCallback(), nullptr), 0);
    ASSERT_EQ(module.Register(0), 0);
  }
  void TearDown() override {
    module.Install(nullptr, nullptr);
    module.Unload();
    HostTest::TearDown();
  }

  // The user picks "Konfiguracja spr.obcej" and leaves its dialog with endCode.
  void RunCommand(int endCode) {
    dialog.Script({}, static_cast<uint16_t>(endCode));
    commands.Pick(kCommandId);
  }

  hostsim::ExampleShop shop{host};
  hostsim::PluginModule module;
  hostsim::SimCommands& commands = host.Use<hostsim::SimCommands>();
  hostsim::SimConfigDialog& dialog = host.Use<hostsim::SimConfigDialog>();
  hostsim::SimDialogBase& dialogBase = host.Use<hostsim::SimDialogBase>();
  hostsim::SimDocuments& documents = host.Use<hostsim::SimDocuments>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
  hostsim::SimJpkRegister& jpk = host.Use<hostsim::SimJpkRegister>();
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
};

}  // namespace kwtest
