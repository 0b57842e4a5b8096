#include "platform/ui/WindowRegistry.h"

#include <algorithm>

#include "platform/ui/Form.h"

namespace navoket {
namespace {

struct Registry {
    std::vector<Form*> forms;
    std::function<void()> observer;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

void notify() {
    if (registry().observer) {
        registry().observer();
    }
}

}  // namespace

const std::vector<Form*>& openForms() {
    return registry().forms;
}

Form* findOpenForm(const Text& windowName) {
    const auto& forms = registry().forms;
    const auto found = std::find_if(forms.rbegin(), forms.rend(), [&](const Form* form) {
        return form->windowName() == windowName;
    });
    return found == forms.rend() ? nullptr : *found;
}

int modalDepth() {
    const auto& forms = registry().forms;
    return static_cast<int>(std::count_if(forms.begin(), forms.end(),
                                          [](const Form* form) { return form->isModal(); }));
}

bool closeInnermostModalForm() {
    const auto& forms = registry().forms;
    const auto found = std::find_if(forms.rbegin(), forms.rend(),
                                    [](const Form* form) { return form->isModal(); });
    if (found == forms.rend()) {
        return false;
    }
    (*found)->close();
    return true;
}

void setOpenFormsObserver(std::function<void()> observer) {
    registry().observer = std::move(observer);
}

void registerOpenForm(Form* form) {
    auto& forms = registry().forms;
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) {
        forms.push_back(form);
        notify();
    }
}

void unregisterOpenForm(Form* form) {
    auto& forms = registry().forms;
    const auto found = std::find(forms.begin(), forms.end(), form);
    if (found != forms.end()) {
        forms.erase(found);
        notify();
    }
}

}  // namespace navoket
