#include "accounts/core/SystemSettingsModel.h"

void SystemSettingsModel::load(const VelkMultiUserAdmin *record)
{
    for (bool &on : m_on)
        on = false;
    m_heldCard.clear();
    if (record) {
        m_on[SetupServer] = record->enableSetupServer;
        m_on[MultiUser] = record->enableMultiUser && !record->adminPassword.isEmpty();
        m_on[GuestUser] = record->enableGuestUser;
        m_on[LoginCard] = !record->createAccountPassword.isEmpty();
        m_on[AdminPassword] = !record->adminPassword.isEmpty();
        m_on[AdminCard] = !record->adminRfidId.isEmpty();
        if (m_on[AdminCard])
            m_heldCard = record->adminRfidId;
    }
    applyRules();
}

SystemSettingsModel::Step SystemSettingsModel::toggle(Switch which, bool on, const QString &storedAdminPassword)
{
    m_on[which] = on;
    Step step = NoStep;
    switch (which) {
    case SetupServer:
        // Turning it off is only asked here; the rules follow the answer.
        if (!on)
            return AskSetupOff;
        break;
    case MultiUser:
        if (!on) {
            force(LoginCard, false);
            force(GuestUser, false);
            force(AdminCard, false);
        } else if (storedAdminPassword.isEmpty() || !m_on[AdminPassword]) {
            // With no password stored, or one that Save would clear because its switch is off,
            // multi-user mode needs a new one; asking to "change" it would let Save store
            // multi-user mode without any.
            m_mode = ModeMultiUser;
            step = AskNewAdminPassword;
        } else {
            step = AskAdminPasswordChange;
        }
        break;
    case GuestUser:
        // Counts only at Save.
        return NoStep;
    case LoginCard:
        if (on)
            step = AskCardAccountPassword;
        break;
    case AdminPassword:
        if (on) {
            m_mode = ModeAdminPassword;
            step = AskNewAdminPassword;
        } else {
            force(MultiUser, false);
            force(LoginCard, false);
        }
        break;
    case AdminCard:
        if (on)
            step = AskAdminCard;
        break;
    case SwitchCount:
        break;
    }
    applyRules();
    return step;
}

void SystemSettingsModel::set(Switch which, bool on)
{
    m_on[which] = on;
    applyRules();
}

void SystemSettingsModel::applyRules()
{
    if (!m_on[SetupServer])
        force(MultiUser, false);
    if (!m_on[MultiUser]) {
        force(LoginCard, false);
        force(GuestUser, false);
        force(AdminCard, false);
    }
    m_enabled[SetupServer] = true;
    m_enabled[AdminPassword] = true;
    m_enabled[MultiUser] = m_on[SetupServer];
    m_enabled[LoginCard] = m_enabled[GuestUser] = m_enabled[AdminCard] = m_on[MultiUser];

    // After the forcing, not before it: a link left enabled beside a switch just forced off
    // would take a card or password that Save then drops.
    m_linkEnabled[CardAccountPasswordLink] = m_on[LoginCard];
    m_linkEnabled[ChangePasswordLink] = m_on[AdminPassword];
    m_linkEnabled[ChangeCardLink] = m_on[AdminCard];
}

VelkMultiUserAdmin SystemSettingsModel::recordToSave(const VelkMultiUserAdmin &stored) const
{
    VelkMultiUserAdmin record = stored;
    record.enableSetupServer = m_on[SetupServer];
    record.enableMultiUser = m_on[MultiUser];
    record.enableGuestUser = m_on[GuestUser];
    if (!m_on[LoginCard])
        record.createAccountPassword.clear();
    if (!m_on[AdminPassword])
        record.adminPassword.clear();
    record.adminRfidId = m_on[AdminCard] ? m_heldCard : QString();

    // The stored password decides, not the switch: a password dialog writes it at once.
    if (!record.enableSetupServer || record.adminPassword.isEmpty())
        record.enableMultiUser = false;
    if (!record.enableMultiUser) {
        record.enableGuestUser = false;
        record.createAccountPassword.clear();
        record.adminRfidId.clear();
    }
    return record;
}
