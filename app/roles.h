#pragma once

#include "ui/login_role.h"

class Form1;

// Enables and disables the journal's controls for the role of a login; what the table
// does not name keeps its design state.
void applyRole(Form1& journal, ui::LoginRole role);
