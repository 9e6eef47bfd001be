#pragma once

#include <QString>

#include "datastore/VelkMultiUserAdmin.h"

/// The six switches of the panels' multi-user settings, the rules that keep them consistent,
/// and the record they save to. The settings dialog shows this state and asks it what a click
/// means; no widget here.
///
/// The rules: Multi user needs Setup from Server; Login with card, Guest user and the
/// administrator card need Multi user; a switch whose condition is off is forced off and
/// disabled. Each link ("Password for creating card accounts", "Change Password", "Change
/// Card") is enabled exactly while its switch is on, so nothing can be set through a link that
/// Save would then throw away.
///
/// What is saved is consistent whatever the switches say: multi-user mode is never stored on
/// without an administrator password (the panels would then have multi-user mode with no way
/// to administer it), and with multi-user mode off its dependents are stored off.
class SystemSettingsModel
{
public:
    enum Switch
    {
        SetupServer,
        MultiUser,
        GuestUser,
        LoginCard,
        AdminPassword,
        AdminCard,
        SwitchCount
    };

    enum Link
    {
        CardAccountPasswordLink, ///< beside Login with card
        ChangePasswordLink,      ///< beside Admin password
        ChangeCardLink,          ///< beside Admin card
        LinkCount
    };

    /// What the dialog does after a switch was clicked.
    enum Step
    {
        NoStep,                 ///< nothing more: the rules were applied
        AskSetupOff,            ///< ask whether setup from server is really to be turned off
        AskNewAdminPassword,    ///< a new administrator password, without the old one (mode())
        AskAdminPasswordChange, ///< whether to change the stored administrator password
        AskCardAccountPassword, ///< the password for creating card accounts
        AskAdminCard,           ///< read the administrator card
    };

    /// How the new-administrator-password dialog was opened; its Cancel turns back that step.
    enum PasswordMode
    {
        ModeMultiUser = 0,     ///< Multi user was turned on with no password stored
        ModeAdminPassword = 1, ///< the Admin password switch was turned on
        ModeChange = 2,        ///< "Change Password"
    };

    /// The switches of a stored record (all off without one), rules applied. Multi user loads
    /// off when no administrator password is stored.
    void load(const VelkMultiUserAdmin *record);

    bool isOn(Switch which) const { return m_on[which]; }
    bool isEnabled(Switch which) const { return m_enabled[which]; }
    bool isLinkEnabled(Link which) const { return m_linkEnabled[which]; }

    /// The operator clicked an enabled switch, which now stands at `on`. storedAdminPassword is
    /// the administrator password of the stored record now. Returns the step that follows; the
    /// rules are applied except while the setup question is open.
    Step toggle(Switch which, bool on, const QString &storedAdminPassword);
    /// The mode for AskNewAdminPassword.
    PasswordMode passwordMode() const { return m_mode; }

    /// A sub-dialog answered: the switch is set (ModeMultiUser cancelled: Multi user off, a
    /// password saved: Admin password on, ...) and the rules are applied.
    void set(Switch which, bool on);
    /// A sub-dialog returned without changing a switch (the setup question's Yes included).
    void applyRules();

    /// The administrator card Save stores while Admin card is on.
    QString heldCard() const { return m_heldCard; }
    void setHeldCard(const QString &card) { m_heldCard = card; }

    /// The stored record as Save writes it: the switches, the values of switches that are off
    /// cleared, the held card, and the consistency of the stored settings made sure of.
    VelkMultiUserAdmin recordToSave(const VelkMultiUserAdmin &stored) const;

private:
    void force(Switch which, bool on) { m_on[which] = on; }

    bool m_on[SwitchCount] = {};
    bool m_enabled[SwitchCount] = {};
    bool m_linkEnabled[LinkCount] = {};
    PasswordMode m_mode = ModeAdminPassword;
    QString m_heldCard;
};
