#pragma once

#include <QString>

// The users' guide (docs/guide.ru.md) as a web page with its pictures. The package installs it
// in share/norv-smena/guide/ under its prefix (/usr); the build makes the same folder in the
// build tree from the checkout's guide, so the guide is found beside the program in both.
QString usersGuidePath();

// F1: the guide in the desktop's browser. A guide that is missing, or a desktop with nothing
// to open it, is told in a message that names the file.
void openUsersGuide();
