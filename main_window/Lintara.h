// The main window: host, port, connection type, drive-mapping panel and Connect.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "core/platform.h"
#include "options_window/LintaraOptions.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Lintara : public QWidget {
    Q_OBJECT
  public:
    // services carries every message, start and file test; fileOpen is handed on to
    // the Options window.
    Lintara(lintara::PlatformServices& services, FileOpenFunction fileOpen,
            QWidget* parent = nullptr);

    // Runs once before the window is first shown; may end the program instead.
    void Form_Load();

    // The connection type key of the selected type; the launch dispatches on it.
    QString Tag = QStringLiteral("SSH");

    std::string SettingsPath;
    // The configured program of the last configured launch and its filled-in options.
    std::string ProgramPath;
    std::string ProgramOptions;

    // The control's place in the tab order; labels and frames have one too.
    int TabIndex(const QWidget* control) const;

    // The controls, by the names the rest of the program uses.
    QGroupBox* ConnectToFrame;
    QGroupBox* MapDriveFrame;
    QPushButton* ConnectButton;
    QLineEdit* ConnectText;
    QLineEdit* PortText;
    QLabel* Label1;
    QLabel* PortLabel;
    QRadioButton* TermServiceOption;
    QRadioButton* RDPConsoleOption;
    QRadioButton* VNCOption;
    QRadioButton* TelnetOption;
    QRadioButton* SSHOption;
    QRadioButton* PingOption;
    QRadioButton* MapDriveOption;
    QRadioButton* FTP;
    QRadioButton* HTTPOption;
    QRadioButton* HTTPSOption;
    QPushButton* Options;
    QCheckBox* Anonymous;
    QLineEdit* UserNameText;
    QLineEdit* PasswordText;
    QLabel* UserNameLabel;
    QLabel* PasswordLabel;
    QComboBox* ShareText;
    QComboBox* DriveText;
    QLabel* DriveLabel;
    QLabel* ShareLabel;

    // Event handlers.
    void ConnectButton_Click();
    void Options_Click();
    void HTTPSOption_Click();
    void FTP_Click();
    void HTTPOption_Click();
    void RDPConsoleOption_Click();
    void PingOption_Click();
    void SSHOption_Click();
    void TelnetOption_Click();
    void TermServiceOption_Click();
    void VNCOption_Click();
    void MapDriveOption_Click();
    void ConnectText_Change();
    void Anonymous_Click();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    void SelectDefaultConnection();
    void LaunchConnection();
    void SelectType(const QString& port, const QString& key);
    void SetPanelEnabled(bool enabled);
    void ApplyAnonymousRule();
    void FillShareList();
    void Select(QRadioButton* option);
    void MoveInTabOrder(QWidget* control, int index);
    void ApplyTabOrder();

    lintara::PlatformServices& m_services;
    FileOpenFunction m_fileOpen;
    std::vector<QWidget*> m_tabOrder;  // every control, by tab index
    bool m_shownBefore = false;
};
