// "Set Star Catalog Options": the local, supplementary and web catalog
// choices and the catalog location over CatalogOptionsLogic.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "config/options_dialogs.h"
#include "config/ui/radio_group.h"

namespace skarvel::ui {

class TCatlgOptsDlg : public QDialog {
  Q_OBJECT
 public:
  /// The dialog on `record` (null: exec() shows "No Options Assigned!").
  TCatlgOptsDlg(OptionsRecord* record, platform::Platform& ui, QWidget* parent = nullptr);
  ~TCatlgOptsDlg() override;

  int exec() override;
  void accept() override;

  CatalogOptionsLogic* Logic() const { return logic_.get(); }
  const RadioGroup& Primary() const { return primary_; }
  const RadioGroup& Suppl() const { return suppl_; }
  const RadioGroup& Location() const { return location_; }
  const RadioGroup& Web() const { return web_; }
  const RadioGroup& Service() const { return service_; }
  /// "VizieR Server" and the address the queries go to, below it.
  QLineEdit* ServerEdit() const { return server_; }
  QLabel* ServerInUse() const { return serverInUse_; }

 private:
  void Show();

  OptionsRecord* record_;
  platform::Platform& ui_;
  std::unique_ptr<CatalogOptionsLogic> logic_;
  RadioGroup primary_;
  RadioGroup suppl_;
  RadioGroup location_;
  RadioGroup web_;
  RadioGroup service_;
  QWidget* serverBox_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLabel* serverInUse_ = nullptr;
};

}  // namespace skarvel::ui
