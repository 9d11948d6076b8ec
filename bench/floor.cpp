// The floor for start-up figures: a bare Qt Widgets window of the main window's size
// holding the same 27 widgets, with no logic at all. No Qt launcher can start faster.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(453, 245);
    window.setWindowTitle(" Floor");

    auto* connectTo = new QGroupBox("Connect To", &window);
    connectTo->setGeometry(8, 1, 433, 129);
    auto* mapDrive = new QGroupBox("Map Network Drive Settings", &window);
    mapDrive->setGeometry(8, 136, 433, 101);

    new QLabel("IP or Hostname:", connectTo);
    new QLabel("Port:", connectTo);
    const char* types[] = {"Remote Desktop", "RDP Console", "VNC", "Telnet", "SSH",
                           "Ping",           "Map a Drive", "FTP", "HTTP",   "HTTPS"};
    int i = 0;
    for (const char* type : types) {
        auto* option = new QRadioButton(type, connectTo);
        option->setGeometry(72 + (i % 5) * 70, 56 + (i / 5) * 40, 70, 25);
        ++i;
    }
    (new QPushButton(connectTo))->setGeometry(16, 48, 65, 41);

    for (const char* label : {"Drive Letter:", "Share Name:", "Username:", "Password:"}) {
        new QLabel(label, mapDrive);
    }
    new QComboBox(mapDrive);
    (new QComboBox(mapDrive))->setEditable(true);
    new QCheckBox("Anonymous Access", mapDrive);
    new QLineEdit(mapDrive);
    new QLineEdit(mapDrive);

    (new QLineEdit(&window))->setGeometry(104, 24, 129, 19);
    (new QLineEdit(&window))->setGeometry(264, 24, 41, 21);
    (new QPushButton("Connect", &window))->setGeometry(312, 21, 73, 25);

    window.show();
    return app.exec();
}
