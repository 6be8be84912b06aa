#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return app.arguments().size() == 2 ? 0 : -1;
}
