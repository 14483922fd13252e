#include "application/Journal.h"
#include "conversions/JournalMoteur.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vemo Vododod"));
    app.setQuitOnLastWindowClosed(false);
    Conversions::journalDetails = journal;
    journal(QStringLiteral("Vemo Vododod lancé"));
    return app.exec();
}
