#include "app/SettingsWindow.h"

#include "app/settings/Settings.h"
#include "mail/VerificationMail.h"
#include "platform/MessageBox.h"
#include "text/CodePageText.h"

namespace navoket {
namespace {

FormDesign settingsWindowDesign() {
    using enum ControlKind;
    return {
        "settings",
        "配置",
        50,
        50,
        380,
        365,
        {
            {"标签1", label, 168, 16, 37, 24, "配置"},
            {"标签2", label, 25, 48, 80, 24, "邮箱地址"},
            {"账号", editBox, 111, 52, 224, 21, ""},
            {"标签3", label, 24, 77, 80, 24, "邮箱密码"},
            {"密码", passwordBox, 111, 81, 224, 21, ""},
            {"标签4", label, 25, 105, 70, 24, "SMTP地址"},
            {"smt", editBox, 111, 109, 224, 21, ""},
            {"标签6", label, 25, 132, 70, 24, "收信地址"},
            {"rec", editBox, 111, 136, 224, 21, ""},
            {"标签7", label, 25, 162, 70, 24, "默认船名"},
            {"name", editBox, 111, 165, 224, 21, ""},
            {"标签8", label, 25, 187, 311, 33, "默认船名是指在主窗口中刷新缓存所获取判断的船名。"},
            {"按钮1", button, 24, 241, 80, 32, "写入配置"},
            {"标签5", label, 136, 241, 216, 80,
             "config.ini 配置文件被保存在您的电脑 "
             "C:\\Torvane\\Navkoet\\Person\\config.ini 中，不会涉及上传至服务器。请放心填写。"},
            {"按钮2", button, 24, 281, 80, 32, "测试连接"},
        }};
}

}  // namespace

SettingsWindow::SettingsWindow() : m_form(settingsWindowDesign()) {
    m_form.onClicked(ansiText("按钮1"), [this] { save(); });
    m_form.onClicked(ansiText("按钮2"), [this] { testConnection(); });
}

// All five keys are written every time, in this order, whatever the boxes
// hold, and the window stays open. Success is only claimed when every one of
// them reached the file.
void SettingsWindow::save() {
    const Text email = ansiText("Email");
    bool stored = writeSetting(email, ansiText("smtp"), m_form.controlText(ansiText("smt")));
    stored &= writeSetting(email, ansiText("account"), m_form.controlText(ansiText("账号")));
    stored &= writeSetting(email, ansiText("password"), m_form.controlText(ansiText("密码")));
    stored &= writeSetting(email, ansiText("receive"), m_form.controlText(ansiText("rec")));
    stored &=
        writeSetting(ansiText("Ship"), ansiText("Name"), m_form.controlText(ansiText("name")));
    if (stored) {
        showMessageBox(ansiText("保存成功。您可以点击测试连接按钮验证填写是否正确。"),
                       ansiText("Navoket"), messageBoxOk | messageBoxIconInformation);
        return;
    }
    showMessageBox(ansiText("保存失败：配置文件 ") + settingsFilePath +
                       ansiText(" 无法写入，或填写的内容含有换行。请检查后重试。"),
                   ansiText("Navoket"), messageBoxOk | messageBoxIconExclamation);
}

// Works on the boxes as typed, never on the stored settings; saves nothing.
void SettingsWindow::testConnection() {
    sendVerificationMail(m_form.controlText(ansiText("smt")), m_form.controlText(ansiText("账号")),
                         m_form.controlText(ansiText("密码")), m_form.controlText(ansiText("rec")));
    m_form.close();
}

void openSettingsWindow() {
    SettingsWindow window;
    window.loadModal();
}

}  // namespace navoket
