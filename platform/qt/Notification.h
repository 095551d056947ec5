#pragma once
// Desktop notifications (org.freedesktop.Notifications over the session
// bus): what Windows shows as the tray icon's balloon. Without a session bus
// or a notification service nothing happens and nothing is reported.

#include <QString>

#include <functional>

// Shows the notification, replacing the one shown before; onClick runs when
// the user clicks it.
void AfxShowNotification(const QString& summary, const QString& body, std::function<void()> onClick);
// Withdraws the notification shown last, if any.
void AfxWithdrawNotification();
