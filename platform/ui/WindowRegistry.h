#pragma once

#include <functional>
#include <vector>

#include "platform/Bytes.h"

namespace navoket {

class Form;

// The forms that are open now (from being opened or loaded until closed or
// destroyed), outermost first. Window thread only.
const std::vector<Form*>& openForms();
// The innermost open form of that window name, or null.
Form* findOpenForm(const Text& windowName);
// How many of the open forms run as modal dialogs.
int modalDepth();
// Closes the innermost open modal form as by its close box; false when none.
bool closeInnermostModalForm();

// Called after every change of the list (the driver reacts to modal windows).
void setOpenFormsObserver(std::function<void()> observer);

// For Form itself.
void registerOpenForm(Form* form);
void unregisterOpenForm(Form* form);

}  // namespace navoket
