#include "app/MainWindow.h"
#include "controls/ContextHelp.h"
#include "support/MsgBoxDialog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarifeditor"));
    QApplication::setOrganizationName(QStringLiteral("Zalvor"));
    InstallMsgBoxDialog();
    TContextHelp::Install();

    TMain main;
    main.show();
    return app.exec();
}
