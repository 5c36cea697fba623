#pragma once

#include <QIcon>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace zel {

class LanguagePack;

/// The program's icon, drawn rather than shipped: a dark rounded tile with the accent
/// mouse outline.
QIcon programIcon();

/// The tray icon: its tooltip, and a menu of "show" and "exit" whose texts follow the
/// language. A double click shows the window.
std::unique_ptr<QSystemTrayIcon> makeTrayIcon(const std::string& toolTip, QWidget* menuOwner,
                                              std::function<void()> show,
                                              std::function<void()> exit);

/// The tray menu's "show" and "exit" texts in the language of `pack`.
void setTrayMenuTexts(QSystemTrayIcon& tray, const LanguagePack& pack);

} // namespace zel
