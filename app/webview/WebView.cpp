// The web view of the browser windows, in a module of its own: Qt WebEngine is loaded with it, on the first
// page shown, rather than with the program.
#include <QWebEngineView>

extern "C" Q_DECL_EXPORT QWidget* qv_CreateWebView(QWidget* parent) { return new QWebEngineView(parent); }
