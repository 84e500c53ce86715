// SPDX-License-Identifier: MIT
// rukamina.conf: the few switches an administrator sets for a PC or a user
// rather than for the school's data, in the INI form Qt reads
// ("[display]" "scaling=off", "[sound]" "sound=off"). The user's file is
// read first, then the machine's; the first that switches a thing off
// decides.
#pragma once

#include <QString>
#include <QStringList>

namespace programconf {

// $XDG_CONFIG_HOME/rukamina/rukamina.conf, then /etc/rukamina/rukamina.conf.
QStringList files();

// Whether a value means "off": off, 0, no or false, in any case.
bool saysOff(const QString &value);

// The first of files() in which `key` ("section/name") says off, or empty
// when none does.
QString switchedOffIn(const QString &key);

} // namespace programconf
