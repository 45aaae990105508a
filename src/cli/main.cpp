// quorvane-cli: drives a diagnostic run without a window.
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    err << "Quorvane " << QUORVANE_VERSION_MAJOR << '.' << QUORVANE_VERSION_MINOR << '.' << QUORVANE_VERSION_PATCH
        << "\nThe diagnostic run is not built yet.\n";
    return 0;
}
