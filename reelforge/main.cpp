#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    QApplication::setOrganizationName(QStringLiteral("Corvina"));
    return 0;
}
