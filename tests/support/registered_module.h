// Fixtures for tests that drive Kalwestrowka.dll as the host does: the module
// loaded; then also installed, with the example shop's data; then also
// registered, with the host's components a test looks at.
#pragma once

#include "example_shop.h"
#include "command_table.h"
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

class LoadedModuleTest : public HostTest {
 protected:
  void TearDown() override {
    module.Unload();
    HostTest::TearDown();
  }

  hostsim::PluginModule module;
  hostsim::SimMessages& messages = host.Use<hostsim::SimMessages>();
  hostsim::SimTables& tables = host.Use<hostsim::SimTables>();
};

class InstalledModuleTest : public LoadedModuleTest {
 protected:
  void SetUp() override {
    LoadedModuleTest::SetUp();
    shop.AddContractors();
    shop.AddRegisterEntries();
    ASSERT_TRUE(module.Load());
    ASSERT_EQ(module.Install(hostsim::SimInstallation::InstallCallback(), nullptr), 0);
  }

  hostsim::ExampleShop shop{host};
  hostsim::SimCommands& commands = host.Use<hostsim::SimCommands>();
  hostsim::SimJpkRegister& jpk = host.Use<hostsim::SimJpkRegister>();
};

class RegisteredModuleTest : public InstalledModuleTest {
 protected:
  static constexpr int kCancel = 0x5002;

  void SetUp() override {
    InstalledModuleTest::SetUp();
    ASSERT_EQ(module.Register(0), 0);
  }
  void TearDown() override {
    module.Install(nullptr, nullptr);
    InstalledModuleTest::TearDown();
  }

  // The user picks "Konfiguracja spr.obcej" and leaves its dialog with endCode.
  void RunCommand(int endCode) {
    dialog.Script({}, static_cast<uint16_t>(endCode));
    commands.Pick(kConfigCommandId);
  }
  // Warehouse 3 holds consigned goods, and the document dialog sells.
  void SellConsignedGoodsFromWarehouse3() {
    files.Write("komis.cfg", KomisCfg({{3, 1}}));
    documents.SetDocKind(hostsim::kSalesDocumentKind);
  }

  hostsim::SimConfigDialog& dialog = host.Use<hostsim::SimConfigDialog>();
  hostsim::SimDialogBase& dialogBase = host.Use<hostsim::SimDialogBase>();
  hostsim::SimDocuments& documents = host.Use<hostsim::SimDocuments>();
  hostsim::SimFiles& files = host.Use<hostsim::SimFiles>();
};

}  // namespace kwtest
