<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AccountOverview</name>
    <message>
        <source>Sync Now did not start: the device list cannot be read while another program holds the database. Try again later.</source>
        <translation>Sync Now did not start: the device list cannot be read while another program holds the database. Try again later.</translation>
    </message>
    <message>
        <source>Progressing...</source>
        <translation>Progressing...</translation>
    </message>
    <message>
        <source>Add User</source>
        <translation>Add User</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>Import List</translation>
    </message>
    <message>
        <source>System Settings</source>
        <translation>System Settings</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>Sync Now</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>User Name</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Bind Card</source>
        <translation>Bind Card</translation>
    </message>
    <message>
        <source>User Settings</source>
        <translation>User Settings</translation>
    </message>
    <message>
        <source>IFP Access</source>
        <translation>IFP Access</translation>
    </message>
    <message>
        <source>Select Device</source>
        <translation>Select Device</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Add user and set your IFP</source>
        <translation>Add user and set your IFP</translation>
    </message>
    <message>
        <source>&lt;p style=&quot;font-size:10pt;&quot;&gt;Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Add User&lt;/span&gt;&quot; to add user account and Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Select device&lt;/span&gt;&quot; to assign IFP to user.&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;font-size:10pt;&quot;&gt;Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Add User&lt;/span&gt;&quot; to add user account and Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Select device&lt;/span&gt;&quot; to assign IFP to user.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>AccountRegisterDialog</name>
    <message>
        <source>User Name:</source>
        <translation>User Name:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>This user name has been occupied.</source>
        <translation>This user name has been occupied.</translation>
    </message>
</context>
<context>
    <name>AccountReportDialog</name>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>Sync Status</source>
        <translation>Sync Status</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>AccountReportRows</name>
    <message>
        <source>Success</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Failed, because setup from server is off</source>
        <translation>Failed, because setup from server is off</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>%1 device in total</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>%1 devices in total</translation>
    </message>
</context>
<context>
    <name>AccountTableModel</name>
    <message>
        <source>Please edit user account to change password.</source>
        <translation>Please edit user account to change password.</translation>
    </message>
</context>
<context>
    <name>AdminPasswordConfirmDialog</name>
    <message>
        <source>Do you want to reset your password ?</source>
        <translation>Do you want to reset your password ?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>AdminPasswordNewDialog</name>
    <message>
        <source>Admin Password:</source>
        <translation>Admin Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>AdminPasswordResetDialog</name>
    <message>
        <source>The Password is incorrect.</source>
        <translation>The Password is incorrect.</translation>
    </message>
    <message>
        <source>Old Password:</source>
        <translation>Old Password:</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>AppPermissionConfirmDialog</name>
    <message>
        <source>Your device and personal data are more vulnerable to attack by apps from unknown sources.

Your agree that you are solely responsible for any damage to your tablet or loss of data that may result from using these apps.</source>
        <translation>Your device and personal data are more vulnerable to attack by apps from unknown sources.

Your agree that you are solely responsible for any damage to your tablet or loss of data that may result from using these apps.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>AppPermissionDialog</name>
    <message>
        <source>Permissions of install apps:

App &amp; content access:</source>
        <translation>Permissions of install apps:

App &amp; content access:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>AutoTestScheduleReportDialog</name>
    <message>
        <source>Not Started</source>
        <translation>Not Started</translation>
    </message>
    <message>
        <source>Scheduling</source>
        <translation>Scheduling</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>No response during power on</source>
        <translation>No response during power on</translation>
    </message>
    <message>
        <source>No response during power off</source>
        <translation>No response during power off</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> device in total</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> devices in total</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>xx devices in total</source>
        <translation>xx devices in total</translation>
    </message>
    <message>
        <source>All (xx)</source>
        <translation>All (xx)</translation>
    </message>
    <message>
        <source>Not Started (xx)</source>
        <translation>Not Started (xx)</translation>
    </message>
    <message>
        <source>Scheduling (xx)</source>
        <translation>Scheduling (xx)</translation>
    </message>
    <message>
        <source>Successfully (xx)</source>
        <translation>Successfully (xx)</translation>
    </message>
    <message>
        <source>Failed (xx)</source>
        <translation>Failed (xx)</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
</context>
<context>
    <name>AutoTestScheduleSetting</name>
    <message>
        <source>Please at least select one schedule.</source>
        <translation>Please select at least one schedule.</translation>
    </message>
    <message>
        <source>Please at least select one group.</source>
        <translation>Please select at least one group.</translation>
    </message>
    <message>
        <source>Please at least select one device.</source>
        <translation>Please select at least one device.</translation>
    </message>
    <message>
        <source>Auto Testing Schedule</source>
        <translation>Auto Testing Schedule</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Automatic Detection Time</source>
        <translation>Automatic Detection Time</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>HR</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>MIN</translation>
    </message>
</context>
<context>
    <name>BindCardPassedDialog</name>
    <message>
        <source>Login with card successfully!</source>
        <translation>Login with card successfully!</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>BindCardUsedDialog</name>
    <message>
        <source>This card has been used by another account</source>
        <translation>This card has been used by another account</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>BindCardWaitingDialog</name>
    <message>
        <source>Tap your card on the reader</source>
        <translation>Tap your card on the reader</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Skip</translation>
    </message>
</context>
<context>
    <name>Broadcast</name>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>Move to Pending</source>
        <translation>Move to Pending</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Mon.</source>
        <translation>Mon.</translation>
    </message>
    <message>
        <source>Tue.</source>
        <translation>Tue.</translation>
    </message>
    <message>
        <source>Wed.</source>
        <translation>Wed.</translation>
    </message>
    <message>
        <source>Thu.</source>
        <translation>Thu.</translation>
    </message>
    <message>
        <source>Fri.</source>
        <translation>Fri.</translation>
    </message>
    <message>
        <source>Sat.</source>
        <translation>Sat.</translation>
    </message>
    <message>
        <source>Sun.</source>
        <translation>Sun.</translation>
    </message>
    <message>
        <source>Just Now</source>
        <translation>Just Now</translation>
    </message>
    <message>
        <source>at</source>
        <translation>at</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this broadcast?</source>
        <translation>Are you sure you want to delete this broadcast?</translation>
    </message>
    <message>
        <source>The broadcast could not be moved to Pending.</source>
        <translation>The broadcast could not be moved to Pending.</translation>
    </message>
    <message>
        <source>The broadcast could not be deleted.</source>
        <translation>The broadcast could not be deleted.</translation>
    </message>
    <message>
        <source>The broadcast could not be duplicated.</source>
        <translation>The broadcast could not be duplicated.</translation>
    </message>
    <message>
        <source>Broadcast Saved</source>
        <translation>Broadcast Saved</translation>
    </message>
    <message>
        <source>Add Broadcast</source>
        <translation>Add Broadcast</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>Pending</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>Upcoming</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Completed</translation>
    </message>
    <message>
        <source>Click &amp;quot;</source>
        <translation>Click &amp;quot;</translation>
    </message>
    <message>
        <source>Add broadcast</source>
        <translation>Add broadcast</translation>
    </message>
    <message>
        <source>&amp;quot; to start.</source>
        <translation>&amp;quot; to start.</translation>
    </message>
    <message>
        <source>Let&apos;s broadcast now</source>
        <translation>Let&apos;s broadcast now</translation>
    </message>
    <message>
        <source>It&apos;s quiet in here...</source>
        <translation>It&apos;s quiet in here...</translation>
    </message>
    <message>
        <source>No broadcast yet</source>
        <translation>No broadcast yet</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>The broadcast was not duplicated: the database is in use by another program. Try again later.</source>
        <translation>The broadcast was not duplicated: the database is in use by another program. Try again later.</translation>
    </message>
    <message>
        <source>The broadcast was not duplicated: the disk is full.</source>
        <translation>The broadcast was not duplicated: the disk is full.</translation>
    </message>
    <message>
        <source>The broadcast was not moved to Pending: the database is in use by another program. Try again later.</source>
        <translation>The broadcast was not moved to Pending: the database is in use by another program. Try again later.</translation>
    </message>
    <message>
        <source>The broadcast was not moved to Pending: the disk is full.</source>
        <translation>The broadcast was not moved to Pending: the disk is full.</translation>
    </message>
    <message>
        <source>The broadcast was not deleted: the database is in use by another program. Try again later.</source>
        <translation>The broadcast was not deleted: the database is in use by another program. Try again later.</translation>
    </message>
    <message>
        <source>The broadcast was not deleted: the disk is full.</source>
        <translation>The broadcast was not deleted: the disk is full.</translation>
    </message>
</context>
<context>
    <name>BroadcastContentEditor</name>
    <message>
        <source>Enter your text...</source>
        <translation>Enter your text...</translation>
    </message>
    <message>
        <source>Please enter your broadcast title of audio...</source>
        <translation>Please enter your broadcast title of audio...</translation>
    </message>
    <message>
        <source>Upload custom audio</source>
        <translation>Upload custom audio</translation>
    </message>
    <message>
        <source>Open a file</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>Audio Files(*.mp3 *.wav)</source>
        <translation>Audio Files(*.mp3 *.wav)</translation>
    </message>
    <message>
        <source>The audio file cannot be read.</source>
        <translation>The audio file cannot be read.</translation>
    </message>
    <message>
        <source>The size of the uploaded file cannot exceed 10MB.</source>
        <translation>The size of the uploaded file cannot exceed 10MB.</translation>
    </message>
    <message>
        <source>The audio file cannot be copied.</source>
        <translation>The audio file cannot be copied.</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Display Type:</source>
        <translation>Display Type:</translation>
    </message>
    <message>
        <source>Scrolling text</source>
        <translation>Scrolling text</translation>
    </message>
    <message>
        <source>Pop windows</source>
        <translation>Pop windows</translation>
    </message>
    <message>
        <source>Only audio</source>
        <translation>Only audio</translation>
    </message>
    <message>
        <source>Streaming audio box does not support text broadcast.</source>
        <translation>Streaming audio box does not support text broadcast.</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Must select an audio to broadcast.</source>
        <translation>Must select an audio to broadcast.</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Default audio 1</source>
        <translation>Default audio 1</translation>
    </message>
    <message>
        <source>Default audio 2</source>
        <translation>Default audio 2</translation>
    </message>
    <message>
        <source>Default audio 3</source>
        <translation>Default audio 3</translation>
    </message>
    <message>
        <source>Repeat broadcast</source>
        <translation>Repeat broadcast</translation>
    </message>
    <message>
        <source>Wake Power-off panels up to broadcast</source>
        <translation>Wake Power-off panels up to broadcast</translation>
    </message>
    <message>
        <source>: Duration</source>
        <translation>: Duration</translation>
    </message>
    <message>
        <source>mins</source>
        <translation>mins</translation>
    </message>
    <message>
        <source>secs</source>
        <translation>secs</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Broadcast</source>
        <translation>Broadcast</translation>
    </message>
    <message numerus="yes">
        <source>Wake-on-LAN can&apos;t wake %n chosen panel(s) without a MAC address.</source>
        <translation>
            <numerusform>Wake-on-LAN can&apos;t wake %n chosen panel without a MAC address.</numerusform>
            <numerusform>Wake-on-LAN can&apos;t wake %n chosen panels without a MAC address.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BroadcastMessageDialog</name>
    <message>
        <source>Set text before you show this dialog.</source>
        <translation>Set text before you show this dialog.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>BroadcastReportDialog</name>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> device in total</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> devices in total</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>Power-off</source>
        <translation>Power-off</translation>
    </message>
    <message>
        <source>No connection</source>
        <translation>No connection</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>All (xx)</source>
        <translation>All (xx)</translation>
    </message>
    <message>
        <source>Successfully (xx)</source>
        <translation>Successfully (xx)</translation>
    </message>
    <message>
        <source>Failed (xx)</source>
        <translation>Failed (xx)</translation>
    </message>
    <message>
        <source>xx devices in total</source>
        <translation>xx devices in total</translation>
    </message>
</context>
<context>
    <name>BroadcastSaveDialog</name>
    <message>
        <source>Save your changes?</source>
        <translation>Save your changes?</translation>
    </message>
    <message>
        <source>You have not finished yet, do you want to save your changes?</source>
        <translation>You have not finished yet, do you want to save your changes?</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Discard Changes</source>
        <translation>Discard Changes</translation>
    </message>
</context>
<context>
    <name>BroadcastSchedule</name>
    <message>
        <source>By Device</source>
        <translation>By Device</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>By Group</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>Schedule</translation>
    </message>
    <message>
        <source>Broadcast Now</source>
        <translation>Broadcast Now</translation>
    </message>
    <message>
        <source>Broadcast Time</source>
        <translation>Broadcast Time</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>Streaming Audio Box</source>
        <translation>Streaming Audio Box</translation>
    </message>
    <message>
        <source>IFP/Control Box</source>
        <translation>IFP/Control Box</translation>
    </message>
    <message>
        <source>Can not edit this broadcast.</source>
        <translation>Can not edit this broadcast.</translation>
    </message>
    <message>
        <source>You can&apos;t select the date to broadcast before right now.</source>
        <translation>You can&apos;t select the date to broadcast before right now.</translation>
    </message>
    <message>
        <source> devices)</source>
        <translation> devices)</translation>
    </message>
    <message>
        <source> device)</source>
        <translation> device)</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> devices in total</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> device in total</translation>
    </message>
    <message>
        <source> groups in total (</source>
        <translation> groups in total (</translation>
    </message>
    <message>
        <source> group in total (</source>
        <translation> group in total (</translation>
    </message>
    <message>
        <source> devices selected</source>
        <translation> devices selected</translation>
    </message>
    <message>
        <source> device selected</source>
        <translation> device selected</translation>
    </message>
    <message>
        <source> groups selected (</source>
        <translation> groups selected (</translation>
    </message>
    <message>
        <source> group selected (</source>
        <translation> group selected (</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>Start Date</translation>
    </message>
    <message>
        <source>Repeat</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Device Type</source>
        <translation>Device Type</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>Device Counts</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. The devices are listed once it can.</source>
        <translation>The device list can&apos;t be read right now. The devices are listed once it can.</translation>
    </message>
</context>
<context>
    <name>BroadcastSetting</name>
    <message>
        <source>Save your changes?</source>
        <translation>Save your changes?</translation>
    </message>
    <message>
        <source>You have not finished yet, do you want to save your changes?</source>
        <translation>You have not finished yet, do you want to save your changes?</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Discard Changes</source>
        <translation>Discard Changes</translation>
    </message>
    <message>
        <source>Select Devices &amp; Date</source>
        <translation>Select Devices &amp; Date</translation>
    </message>
    <message>
        <source>Edit Content</source>
        <translation>Edit Content</translation>
    </message>
    <message>
        <source>The broadcast could not be saved.</source>
        <translation>The broadcast could not be saved.</translation>
    </message>
    <message>
        <source>The broadcast was not saved: the disk is full.</source>
        <translation>The broadcast was not saved: the disk is full.</translation>
    </message>
    <message>
        <source>The broadcast was not saved: the database is in use by another program. Try again later.</source>
        <translation>The broadcast was not saved: the database is in use by another program. Try again later.</translation>
    </message>
</context>
<context>
    <name>BroadcastWidget</name>
    <message>
        <source>Broadcast content</source>
        <translation>Broadcast content</translation>
    </message>
    <message>
        <source>week. yyyy-MM-dd at hh:mm</source>
        <translation>week. yyyy-MM-dd at hh:mm</translation>
    </message>
    <message>
        <source>To: [device name]</source>
        <translation>To: [device name]</translation>
    </message>
    <message>
        <source>xxxx Failed</source>
        <translation>xxxx Failed</translation>
    </message>
</context>
<context>
    <name>CheckPasswordDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>Invalid User Password.</source>
        <translation>Invalid User Password.</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Please enter the current password.</source>
        <translation>Please enter the current password.</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>Password:</translation>
    </message>
</context>
<context>
    <name>ConfirmDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Are you sure [operation]?</source>
        <translation>Are you sure [operation]?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>ConnectedItem</name>
    <message>
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>Locked by another password</source>
        <translation>Locked by another password</translation>
    </message>
    <message>
        <source>Taken over by another computer</source>
        <translation>Taken over by another computer</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>Model: %1</source>
        <translation>Model: %1</translation>
    </message>
    <message>
        <source>Type: %1</source>
        <translation>Type: %1</translation>
    </message>
    <message>
        <source>Location: %1</source>
        <translation>Location: %1</translation>
    </message>
    <message>
        <source>IP address: %1</source>
        <translation>IP address: %1</translation>
    </message>
    <message>
        <source>MAC address: %1</source>
        <translation>MAC address: %1</translation>
    </message>
    <message>
        <source>Click to clear the mark.</source>
        <translation>Click to clear the mark.</translation>
    </message>
</context>
<context>
    <name>ConnectedList</name>
    <message>
        <source>Connected and under this console&apos;s password</source>
        <translation>Connected and under this console&apos;s password</translation>
    </message>
    <message>
        <source>Connected, but holding another password</source>
        <translation>Connected, but holding another password</translation>
    </message>
    <message>
        <source>Taken over by another computer running the program</source>
        <translation>Taken over by another computer running the program</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Another computer running the program was detected.</source>
        <translation>Another computer running the program was detected.</translation>
    </message>
    <message>
        <source>Online %1</source>
        <translation>Online %1</translation>
    </message>
    <message>
        <source>Locked %1</source>
        <translation>Locked %1</translation>
    </message>
    <message>
        <source>Taken over %1</source>
        <translation>Taken over %1</translation>
    </message>
    <message>
        <source>Offline %1</source>
        <translation>Offline %1</translation>
    </message>
    <message>
        <source>Click devices to choose them</source>
        <translation>Click devices to choose them</translation>
    </message>
    <message>
        <source>%1 of %2 chosen</source>
        <translation>%1 of %2 chosen</translation>
    </message>
    <message>
        <source>Clear Selection</source>
        <translation>Clear Selection</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Event Log</source>
        <translation>Event Log</translation>
    </message>
    <message>
        <source>No devices yet</source>
        <translation>No devices yet</translation>
    </message>
    <message>
        <source>Add Devices</source>
        <translation>Add Devices</translation>
    </message>
    <message>
        <source>This group has no devices.</source>
        <translation>This group has no devices.</translation>
    </message>
    <message>
        <source>Power On</source>
        <translation>Power On</translation>
    </message>
    <message>
        <source>Wake the chosen offline devices</source>
        <translation>Wake the chosen offline devices</translation>
    </message>
    <message>
        <source>Power Off</source>
        <translation>Power Off</translation>
    </message>
    <message>
        <source>Turn the chosen online devices off</source>
        <translation>Turn the chosen online devices off</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>Reboot</translation>
    </message>
    <message>
        <source>Restart the chosen online devices</source>
        <translation>Restart the chosen online devices</translation>
    </message>
    <message>
        <source>Add your panels, control boxes and audio boxes under Settings › Devices to control them here.</source>
        <translation>Add your panels, control boxes and audio boxes under Settings › Devices to control them here.</translation>
    </message>
    <message numerus="yes">
        <source>Power On can&apos;t wake %n chosen device(s) without a MAC address.</source>
        <translation>
            <numerusform>Power On can&apos;t wake %n chosen device without a MAC address.</numerusform>
            <numerusform>Power On can&apos;t wake %n chosen devices without a MAC address.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CreateAccountPasswordDialog</name>
    <message>
        <source>Create Accounts Password:</source>
        <translation>Create Accounts Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>The passwords do not match.</translation>
    </message>
</context>
<context>
    <name>CustomLineEditText</name>
    <message>
        <source>User Password</source>
        <translation>User Password</translation>
    </message>
    <message>
        <source>User Email</source>
        <translation>User Email</translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation>Confirm Your Email</translation>
    </message>
</context>
<context>
    <name>CustomPlainTextEdit</name>
    <message>
        <source>Enter your text...</source>
        <translation>Enter your text...</translation>
    </message>
    <message>
        <source>Please enter your broadcast title of audio...</source>
        <translation>Please enter your broadcast title of audio...</translation>
    </message>
</context>
<context>
    <name>DatabaseStartupNotice</name>
    <message>
        <source>The database could not be used. It has been kept as
%1
and a new, empty database was created.</source>
        <translation>The database could not be used. It has been kept as
%1
and a new, empty database was created.</translation>
    </message>
    <message>
        <source>The database %1 was opened, but not every change can be saved in it.
%2</source>
        <translation>The database %1 was opened, but not every change can be saved in it.
%2</translation>
    </message>
    <message>
        <source>The database could not be opened.
%1</source>
        <translation>The database could not be opened.
%1</translation>
    </message>
    <message>
        <source>The console cannot start, because its data folder cannot be written:
%1</source>
        <translation>The console cannot start, because its data folder cannot be written:
%1</translation>
    </message>
    <message>
        <source>The console cannot start, because its lock file is not a file (a folder or a broken link, for example):
%1
Remove it and start the console again.</source>
        <translation>The console cannot start, because its lock file is not a file (a folder or a broken link, for example):
%1
Remove it and start the console again.</translation>
    </message>
    <message>
        <source>The console cannot start, because a console on the computer &quot;%2&quot; may be using its data folder. Its lock file is:
%1
End the console there, or, if none runs there, remove the file and start the console again.</source>
        <translation>The console cannot start, because a console on the computer &quot;%2&quot; may be using its data folder. Its lock file is:
%1
End the console there, or, if none runs there, remove the file and start the console again.</translation>
    </message>
    <message>
        <source>The disk that holds the database %1 is full, so no change can be saved in it. Free space on that disk and start the console again.</source>
        <translation>The disk that holds the database %1 is full, so no change can be saved in it. Free space on that disk and start the console again.</translation>
    </message>
    <message>
        <source>The console cannot start, because the disk that holds its data folder is full:
%1
Free space on that disk and start the console again.</source>
        <translation>The console cannot start, because the disk that holds its data folder is full:
%1
Free space on that disk and start the console again.</translation>
    </message>
    <message>
        <source>A restore of the database was cut short before it ended. It has been finished now: the console runs on the restored data, and the data from before the restore is kept as
%1</source>
        <translation>A restore of the database was cut short before it ended. It has been finished now: the console runs on the restored data, and the data from before the restore is kept as
%1</translation>
    </message>
    <message>
        <source>A restore of the database was cut short before its copy was whole. The data from before the restore has been put back.</source>
        <translation>A restore of the database was cut short before its copy was whole. The data from before the restore has been put back.</translation>
    </message>
</context>
<context>
    <name>DeleteManagementDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Failed to remove. This Device is offline now.
Please start the device and try it again.</source>
        <translation>Failed to remove. This Device is offline now.
Please start the device and try it again.</translation>
    </message>
</context>
<context>
    <name>DeleteScheduleDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this schedule?</source>
        <translation>Are you sure you want to delete this schedule?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>DeviceControlScheduleSetting</name>
    <message>
        <source>Please at least select one schedule.</source>
        <translation>Please select at least one schedule.</translation>
    </message>
    <message>
        <source>Please at least select one request.(On/Off)</source>
        <translation>Please select at least one request (On/Off).</translation>
    </message>
    <message>
        <source>Please at least select one group.</source>
        <translation>Please select at least one group.</translation>
    </message>
    <message>
        <source>Please at least select one device.</source>
        <translation>Please select at least one device.</translation>
    </message>
    <message>
        <source>Device Control Schedule</source>
        <translation>Device Control Schedule</translation>
    </message>
    <message>
        <source>On Time</source>
        <translation>On Time</translation>
    </message>
    <message>
        <source>Reboot Time</source>
        <translation>Reboot Time</translation>
    </message>
    <message>
        <source>Off Time</source>
        <translation>Off Time</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>HR</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>MIN</translation>
    </message>
</context>
<context>
    <name>DeviceFormDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Device Name:</source>
        <translation>Device Name:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC Address:</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Location:</translation>
    </message>
    <message>
        <source>Groups:</source>
        <translation>Groups:</translation>
    </message>
    <message>
        <source>e.g. Classroom 101</source>
        <translation>e.g. Classroom 101</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.20</source>
        <translation>e.g. 192.168.1.20</translation>
    </message>
    <message>
        <source>e.g. 00:11:22:33:44:55</source>
        <translation>e.g. 00:11:22:33:44:55</translation>
    </message>
    <message>
        <source>e.g. Building A, 2nd floor</source>
        <translation>e.g. Building A, 2nd floor</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>PTZ Camera:</source>
        <translation>PTZ Camera:</translation>
    </message>
    <message>
        <source>No camera paired</source>
        <translation>No camera paired</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>Choose the camera paired with this device</source>
        <translation>Choose the camera paired with this device</translation>
    </message>
    <message>
        <source>No groups of this device type yet. Create them with &quot;Groups&quot; on the page.</source>
        <translation>No groups of this device type yet. Create them with &quot;Groups&quot; on the page.</translation>
    </message>
</context>
<context>
    <name>DeviceListDialog</name>
    <message>
        <source>By Device</source>
        <translation>By Device</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>By Group</translation>
    </message>
    <message>
        <source>%1 device selected</source>
        <translation>%1 device selected</translation>
    </message>
    <message>
        <source>%1 devices selected</source>
        <translation>%1 devices selected</translation>
    </message>
    <message>
        <source>%1 group selected (</source>
        <translation>%1 group selected (</translation>
    </message>
    <message>
        <source>%1 groups selected (</source>
        <translation>%1 groups selected (</translation>
    </message>
    <message>
        <source>%1 device)</source>
        <translation>%1 device)</translation>
    </message>
    <message>
        <source>%1 devices)</source>
        <translation>%1 devices)</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>%1 devices in total</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>%1 device in total</translation>
    </message>
    <message>
        <source>%1 groups in total (</source>
        <translation>%1 groups in total (</translation>
    </message>
    <message>
        <source>%1 group in total (</source>
        <translation>%1 group in total (</translation>
    </message>
    <message>
        <source>Devices List</source>
        <translation>Devices List</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>Device Counts</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>DeviceOverAssignDialog</name>
    <message>
        <source>The following devices cannot be set because their available users exceed the limit.

Do you want to continue?</source>
        <translation>The following devices cannot be set because their available users exceed the limit.

Do you want to continue?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
</context>
<context>
    <name>DeviceRules</name>
    <message>
        <source>By IP address</source>
        <translation>By IP address</translation>
    </message>
</context>
<context>
    <name>DeviceStore</name>
    <message>
        <source>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</source>
        <translation>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</translation>
    </message>
    <message>
        <source>Device name is required.</source>
        <translation>Device name is required.</translation>
    </message>
    <message>
        <source>Ip Address and Mac Address cannot be emtpy.</source>
        <translation>Ip Address and Mac Address cannot be empty.</translation>
    </message>
    <message>
        <source>Invalid IP Address.</source>
        <translation>Invalid IP Address.</translation>
    </message>
    <message>
        <source>Invalid mac address.</source>
        <translation>Invalid mac address.</translation>
    </message>
    <message>
        <source>The device list could not be read.</source>
        <translation>The device list could not be read.</translation>
    </message>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>Device name is duplicated with other devices.</translation>
    </message>
    <message>
        <source>Mac address is duplicated with other devices.</source>
        <translation>Mac address is duplicated with other devices.</translation>
    </message>
    <message>
        <source>Another device without Mac address exists; enter this device&apos;s Mac address.</source>
        <translation>Another device without Mac address exists; enter this device&apos;s Mac address.</translation>
    </message>
    <message>
        <source>The device could not be saved.</source>
        <translation>The device could not be saved.</translation>
    </message>
    <message>
        <source>The device no longer exists.</source>
        <translation>The device no longer exists.</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>Cannot modify connected device&apos;s Mac address.</translation>
    </message>
    <message>
        <source>The device could not be deleted.</source>
        <translation>The device could not be deleted.</translation>
    </message>
    <message>
        <source>The groups could not be saved.</source>
        <translation>The groups could not be saved.</translation>
    </message>
    <message>
        <source>Group name is required.</source>
        <translation>Group name is required.</translation>
    </message>
    <message>
        <source>The groups could not be read.</source>
        <translation>The groups could not be read.</translation>
    </message>
    <message>
        <source>Group name is duplicated with other groups.</source>
        <translation>Group name is duplicated with other groups.</translation>
    </message>
    <message>
        <source>The group could not be saved.</source>
        <translation>The group could not be saved.</translation>
    </message>
    <message>
        <source>The group could not be deleted.</source>
        <translation>The group could not be deleted.</translation>
    </message>
    <message>
        <source>A group name cannot contain a comma.</source>
        <translation>A group name cannot contain a comma.</translation>
    </message>
    <message>
        <source>The camera link could not be saved.</source>
        <translation>The camera link could not be saved.</translation>
    </message>
    <message>
        <source>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</source>
        <translation>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</translation>
    </message>
    <message>
        <source>The device could not be saved: the disk is full.</source>
        <translation>The device could not be saved: the disk is full.</translation>
    </message>
    <message>
        <source>The device could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>The device could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</translation>
    </message>
</context>
<context>
    <name>DeviceTableModel</name>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC Address</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Groups</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>PTZ Camera</source>
        <translation>PTZ Camera</translation>
    </message>
</context>
<context>
    <name>EditMultiUserDialog</name>
    <message>
        <source>User Name:</source>
        <translation>User Name:</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>Change Password</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Bind Card Login:</source>
        <translation>Bind Card Login:</translation>
    </message>
    <message>
        <source>Change Bind Card</source>
        <translation>Change Bind Card</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>The passwords do not match.</translation>
    </message>
</context>
<context>
    <name>EmergencyDialog</name>
    <message>
        <source>All fields marked with an asterisk (*) are required</source>
        <translation>All fields marked with an asterisk (*) are required</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>Pellmar Network Setting</source>
        <translation>Pellmar Network Setting</translation>
    </message>
    <message>
        <source>PTZ Camera:</source>
        <translation>PTZ Camera:</translation>
    </message>
    <message>
        <source>Disconnect PTZ camera</source>
        <translation>Disconnect PTZ camera</translation>
    </message>
    <message>
        <source>Connect PTZ camera</source>
        <translation>Connect PTZ camera</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>Username:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Fill in PTZ camera setup information to ensure you can share live footage with emergency responders when an emergency happens.</source>
        <translation>Fill in PTZ camera setup information to ensure you can share live footage with emergency responders when an emergency happens.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>EmergencySettingNotifyDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Connection error with Pellmar: 
「Incorrect username or password」

Please modify the username and password to the correct ones to continue using the connection function.</source>
        <translation>Connection error with Pellmar: 
「Incorrect username or password」

Please modify the username and password to the correct ones to continue using the connection function.</translation>
    </message>
    <message>
        <source>Pellmar account or password error, please fill correct Pellmar account and password to save.</source>
        <translation>Pellmar account or password error, please fill correct Pellmar account and password to save.</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>Pellmar username:</source>
        <translation>Pellmar username:</translation>
    </message>
    <message>
        <source>The paired PTZ camera with this device cannot be connected. Please select a new PTZ camera to reconnect.</source>
        <translation>The paired PTZ camera with this device cannot be connected. Please select a new PTZ camera to reconnect.</translation>
    </message>
    <message>
        <source>Go to Setting</source>
        <translation>Go to Setting</translation>
    </message>
</context>
<context>
    <name>EmergencyWarningDialog</name>
    <message>
        <source>Emergency Alert</source>
        <translation>Emergency Alert</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Location:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>Please select your emergency actions.</source>
        <translation>Please select your emergency actions.</translation>
    </message>
    <message>
        <source>Turn on PTZ Camera</source>
        <translation>Turn on PTZ Camera</translation>
    </message>
    <message>
        <source>No action required</source>
        <translation>No action required</translation>
    </message>
    <message>
        <source>Call Emergency Service</source>
        <translation>Call Emergency Service</translation>
    </message>
    <message>
        <source>The alarm sound can&apos;t play on this PC: only the system beep sounds.</source>
        <translation>The alarm sound can&apos;t play on this PC: only the system beep sounds.</translation>
    </message>
</context>
<context>
    <name>EventLogDialog</name>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Emergency Event</source>
        <translation>Emergency Event</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>The event log could not be written to %1.</source>
        <translation>The event log could not be written to %1.</translation>
    </message>
    <message>
        <source>Event Log</source>
        <translation>Event Log</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>Export Log</translation>
    </message>
    <message>
        <source>No events.</source>
        <translation>No events.</translation>
    </message>
    <message numerus="yes">
        <source>Only the first %n characters are shown.</source>
        <translation>
            <numerusform>Only the first %n character is shown.</numerusform>
            <numerusform>Only the first %n characters are shown.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExitPendingNotice</name>
    <message numerus="yes">
        <source>The console will close once the emergency alert is answered and %n records are saved.</source>
        <translation>
            <numerusform>The console will close once the emergency alert is answered and %n record is saved.</numerusform>
            <numerusform>The console will close once the emergency alert is answered and %n records are saved.</numerusform>
        </translation>
    </message>
    <message>
        <source>The console will close once the emergency alert is answered.</source>
        <translation>The console will close once the emergency alert is answered.</translation>
    </message>
    <message numerus="yes">
        <source>The console will close once %n records are saved.</source>
        <translation>
            <numerusform>The console will close once %n record is saved.</numerusform>
            <numerusform>The console will close once %n records are saved.</numerusform>
        </translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Stay Open</source>
        <translation>Stay Open</translation>
    </message>
    <message numerus="yes">
        <source>The console will close once the %1 emergency alerts are answered and %n records are saved.</source>
        <translation>
            <numerusform>The console will close once the %1 emergency alerts are answered and %n record is saved.</numerusform>
            <numerusform>The console will close once the %1 emergency alerts are answered and %n records are saved.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The console will close once the %n emergency alerts are answered.</source>
        <translation>
            <numerusform>The console will close once the %n emergency alert is answered.</numerusform>
            <numerusform>The console will close once the %n emergency alerts are answered.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExitUnsavedDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: another program holds the database. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>%n record is not saved yet: another program holds the database. Wait, and the console ends by itself once it is saved, or quit without it?</numerusform>
            <numerusform>%n records are not saved yet: another program holds the database. Wait, and the console ends by itself once they are saved, or quit without them?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: the disk is full. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>%n record is not saved yet: the disk is full. Wait, and the console ends by itself once it is saved, or quit without it?</numerusform>
            <numerusform>%n records are not saved yet: the disk is full. Wait, and the console ends by itself once they are saved, or quit without them?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: the database file could not be read or written. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>%n record is not saved yet: the database file could not be read or written. Wait, and the console ends by itself once it is saved, or quit without it?</numerusform>
            <numerusform>%n records are not saved yet: the database file could not be read or written. Wait, and the console ends by itself once they are saved, or quit without them?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <source>%1 already exists and was not replaced. Please choose another name.</source>
        <translation>%1 already exists and was not replaced. Please choose another name.</translation>
    </message>
</context>
<context>
    <name>FrameLayoutPage</name>
    <message>
        <source>Open </source>
        <translation>Open </translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>Device Control</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Schedule Setup</source>
        <translation>Schedule Setup</translation>
    </message>
    <message>
        <source>Broadcast</source>
        <translation>Broadcast</translation>
    </message>
    <message>
        <source>Firmware Update Available</source>
        <translation>Firmware Update Available</translation>
    </message>
    <message>
        <source>A newer version of the firmware is available for Velk IFP, please update to the lastest firmware.</source>
        <translation>A newer version of the firmware is available for Velk IFP, please update to the latest firmware.</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>Skip This Version</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Remind Me Later</translation>
    </message>
    <message>
        <source>Setup Update</source>
        <translation>Setup Update</translation>
    </message>
    <message numerus="yes">
        <source>%n records could not be saved in the database and were given up. The log names them.</source>
        <translation>
            <numerusform>%n record could not be saved in the database and was given up. The log names it.</numerusform>
            <numerusform>%n records could not be saved in the database and were given up. The log names them.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GeneralMsgDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>IFPUpgradeManager</name>
    <message>
        <source>Update Available for </source>
        <translation>Update Available for </translation>
    </message>
    <message>
        <source> &amp; </source>
        <translation> &amp; </translation>
    </message>
</context>
<context>
    <name>ImportDialog</name>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>(Use &quot;&quot;,&quot;&quot; between names)</source>
        <translation>(Use &quot;&quot;,&quot;&quot; between names)</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation>Ip Address</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>Mac Address</translation>
    </message>
    <message>
        <source>(ex 00:11:22:33:44:55)</source>
        <translation>(ex 00:11:22:33:44:55)</translation>
    </message>
    <message>
        <source>Device Type</source>
        <translation>Device Type</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>Username for Emergency SOS</source>
        <translation>Username for Emergency SOS</translation>
    </message>
    <message>
        <source>Camera Name for Emergency SOS</source>
        <translation>Camera Name for Emergency SOS</translation>
    </message>
    <message>
        <source>Ip Address and Mac Address cannot be emtpy.</source>
        <translation>Ip Address and Mac Address cannot be empty.</translation>
    </message>
    <message>
        <source>Invalid IP Address.</source>
        <translation>Invalid IP Address.</translation>
    </message>
    <message>
        <source>Invalid mac address.</source>
        <translation>Invalid mac address.</translation>
    </message>
    <message>
        <source>Device name is required.</source>
        <translation>Device name is required.</translation>
    </message>
    <message>
        <source>Invalid device type.</source>
        <translation>Invalid device type.</translation>
    </message>
    <message>
        <source>This type of device does not support emergency SOS.</source>
        <translation>This type of device does not support emergency SOS.</translation>
    </message>
    <message>
        <source>Username is required for emergency SOS.</source>
        <translation>Username is required for emergency SOS.</translation>
    </message>
    <message>
        <source>Camera name is required for emergency SOS.</source>
        <translation>Camera name is required for emergency SOS.</translation>
    </message>
    <message>
        <source>The device list could not be read.</source>
        <translation>The device list could not be read.</translation>
    </message>
    <message>
        <source>The device could not be saved.</source>
        <translation>The device could not be saved.</translation>
    </message>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>Device name is duplicated with other devices.</translation>
    </message>
    <message>
        <source>Cannot modify device type of existing device.</source>
        <translation>Cannot modify device type of existing device.</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>Cannot modify connected device&apos;s Mac address.</translation>
    </message>
    <message>
        <source>The username does not exist.</source>
        <translation>The username does not exist.</translation>
    </message>
    <message>
        <source>The camera does not exist.</source>
        <translation>The camera does not exist.</translation>
    </message>
    <message>
        <source>Mac address is duplicated with other devices.</source>
        <translation>Mac address is duplicated with other devices.</translation>
    </message>
    <message>
        <source>The camera link could not be saved.</source>
        <translation>The camera link could not be saved.</translation>
    </message>
    <message>
        <source>The group could not be saved.</source>
        <translation>The group could not be saved.</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>Save Directory</translation>
    </message>
    <message>
        <source>The device list could not be saved to this file.</source>
        <translation>The device list could not be saved to this file.</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Please download the existing file to edit. If you manage the devices in the first time, please download the existing file to edit, too.</source>
        <translation>Please download the existing file to edit. If you are managing the devices for the first time, please download the existing file to edit, too.</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>Import List</translation>
    </message>
    <message>
        <source>Download the existing file</source>
        <translation>Download the existing file</translation>
    </message>
    <message>
        <source>The file could not be read.</source>
        <translation>The file could not be read.</translation>
    </message>
    <message>
        <source>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</source>
        <translation>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</translation>
    </message>
    <message>
        <source>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</source>
        <translation>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</translation>
    </message>
    <message>
        <source>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</source>
        <translation>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</translation>
    </message>
    <message>
        <source>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</source>
        <translation>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</translation>
    </message>
    <message>
        <source>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</source>
        <translation>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</translation>
    </message>
    <message>
        <source>No device was imported: the file has no row after its header line.</source>
        <translation>No device was imported: the file has no row after its header line.</translation>
    </message>
    <message>
        <source>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</source>
        <translation>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</translation>
    </message>
    <message>
        <source>This row is empty. Remove it and import the file again.</source>
        <translation>This row is empty. Remove it and import the file again.</translation>
    </message>
</context>
<context>
    <name>ImportErrorDialog</name>
    <message>
        <source>The 1st error on Column [</source>
        <translation>The 1st error on Column [</translation>
    </message>
    <message>
        <source>], Row [</source>
        <translation>], Row [</translation>
    </message>
    <message>
        <source>]</source>
        <translation>]</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>The files at least contains one more error data:</source>
        <translation>The file contains at least one error:</translation>
    </message>
</context>
<context>
    <name>ImportListDialog</name>
    <message>
        <source>The sample file could not be saved to this file.</source>
        <translation>The sample file could not be saved to this file.</translation>
    </message>
    <message>
        <source>This column is missing from the row.</source>
        <translation>This column is missing from the row.</translation>
    </message>
    <message>
        <source>Content of title column is wrong.</source>
        <translation>Content of title column is wrong.</translation>
    </message>
    <message>
        <source>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</source>
        <translation>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</translation>
    </message>
    <message>
        <source>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</source>
        <translation>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</translation>
    </message>
    <message>
        <source>No user was imported: the file has no row after its header line.</source>
        <translation>No user was imported: the file has no row after its header line.</translation>
    </message>
    <message>
        <source>Name can not be emtpy.</source>
        <translation>Name cannot be empty.</translation>
    </message>
    <message>
        <source>Password must contain at least 4 characters.</source>
        <translation>Password must contain at least 4 characters.</translation>
    </message>
    <message>
        <source>Password cannot contain Chinese characters.</source>
        <translation>Password cannot contain Chinese characters.</translation>
    </message>
    <message>
        <source>This RFID ID has been used by another account in server.</source>
        <translation>This RFID ID has been used by another account in server.</translation>
    </message>
    <message>
        <source>Value should be &quot;Enable&quot; or &quot;Disable&quot;.</source>
        <translation>Value should be &quot;Enable&quot; or &quot;Disable&quot;.</translation>
    </message>
    <message>
        <source>The user accounts could not be read.</source>
        <translation>The user accounts could not be read.</translation>
    </message>
    <message>
        <source>There have same RFID ID in different account.</source>
        <translation>There have same RFID ID in different account.</translation>
    </message>
    <message>
        <source>At least one device cannot be set due to exceed the limit.</source>
        <translation>At least one device cannot be set due to exceed the limit.</translation>
    </message>
    <message>
        <source>This row could not be saved. Nothing was imported.</source>
        <translation>This row could not be saved. Nothing was imported.</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>Save Directory</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>The file could not be read.</source>
        <translation>The file could not be read.</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>You can download a sample file first to key in user information.</source>
        <translation>You can download a sample file first to key in user information.</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>Import List</translation>
    </message>
    <message>
        <source>Download a sample file</source>
        <translation>Download a sample file</translation>
    </message>
    <message>
        <source>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</source>
        <translation>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</translation>
    </message>
    <message>
        <source>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</source>
        <translation>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</translation>
    </message>
    <message>
        <source>This row is empty. Remove it and import the file again.</source>
        <translation>This row is empty. Remove it and import the file again.</translation>
    </message>
</context>
<context>
    <name>ImportStoppedNotice</name>
    <message>
        <source>The import stopped because the disk is full. Nothing of the file was kept.</source>
        <translation>The import stopped because the disk is full. Nothing of the file was kept.</translation>
    </message>
    <message>
        <source>The import stopped because the database file is read-only. Nothing of the file was kept.</source>
        <translation>The import stopped because the database file is read-only. Nothing of the file was kept.</translation>
    </message>
    <message>
        <source>The import stopped because the database file could not be written. Nothing of the file was kept.</source>
        <translation>The import stopped because the database file could not be written. Nothing of the file was kept.</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>After you save this change of language, this program will be restarted automatically.</source>
        <translation>After you save this change of language, this program will be restarted automatically.</translation>
    </message>
</context>
<context>
    <name>Management</name>
    <message>
        <source>All Groups</source>
        <translation>All Groups</translation>
    </message>
    <message>
        <source>Devices: %1</source>
        <translation>Devices: %1</translation>
    </message>
    <message>
        <source>Devices: %1 of %2</source>
        <translation>Devices: %1 of %2</translation>
    </message>
    <message>
        <source>No audio boxes yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</source>
        <translation>No audio boxes yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</translation>
    </message>
    <message>
        <source>No devices yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</source>
        <translation>No devices yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</translation>
    </message>
    <message>
        <source>No device matches the search or the group filter.</source>
        <translation>No device matches the search or the group filter.</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the device &quot;%1&quot;?</source>
        <translation>Are you sure you want to delete the device &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Filter by group</source>
        <translation>Filter by group</translation>
    </message>
    <message>
        <source>Add Device</source>
        <translation>Add Device</translation>
    </message>
    <message>
        <source>Add a device by its IP or MAC address</source>
        <translation>Add a device by its IP or MAC address</translation>
    </message>
    <message>
        <source>Auto Detect</source>
        <translation>Auto Detect</translation>
    </message>
    <message>
        <source>Add devices found on the network</source>
        <translation>Add devices found on the network</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Groups</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>Import List</translation>
    </message>
    <message>
        <source>Emergency SOS</source>
        <translation>Emergency SOS</translation>
    </message>
    <message>
        <source>The link to the PTZ cameras&apos; management program</source>
        <translation>The link to the PTZ cameras&apos; management program</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. It is shown here once it can.</source>
        <translation>The device list can&apos;t be read right now. It is shown here once it can.</translation>
    </message>
</context>
<context>
    <name>ManagementAddCamera</name>
    <message>
        <source>Only one device can be selected.</source>
        <translation>Only one device can be selected.</translation>
    </message>
    <message>
        <source>At least one device should be selected.</source>
        <translation>At least one device should be selected.</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>Mac Address</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>ManagementAddDevice</name>
    <message>
        <source>Add Audio Box</source>
        <translation>Add Audio Box</translation>
    </message>
    <message>
        <source>Add Device</source>
        <translation>Add Device</translation>
    </message>
</context>
<context>
    <name>ManagementAutoDetect</name>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>Device name is duplicated with other devices.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Tick the devices to add.</source>
        <translation>Tick the devices to add.</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. New devices are listed once it can.</source>
        <translation>The device list can&apos;t be read right now. New devices are listed once it can.</translation>
    </message>
    <message>
        <source>This device reports a Mac address that no network card has (all zeros, broadcast or multicast). It is added by its IP address alone.</source>
        <translation>This device reports a Mac address that no network card has (all zeros, broadcast or multicast). It is added by its IP address alone.</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Automatic Detection</source>
        <translation>Automatic Detection</translation>
    </message>
    <message>
        <source>Devices that searched for this console and are not managed yet. Tick the ones to add and give each a name.</source>
        <translation>Devices that searched for this console and are not managed yet. Tick the ones to add and give each a name.</translation>
    </message>
    <message>
        <source>No new devices found.
A device appears here when it searches for this console on the network.</source>
        <translation>No new devices found.
A device appears here when it searches for this console on the network.</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC Address</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Add</translation>
    </message>
</context>
<context>
    <name>ManagementEditDevice</name>
    <message>
        <source>Edit Device</source>
        <translation>Edit Device</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>Cannot modify connected device&apos;s Mac address.</translation>
    </message>
</context>
<context>
    <name>ManagementGroupDialog</name>
    <message>
        <source>Audio Box Groups</source>
        <translation>Audio Box Groups</translation>
    </message>
    <message>
        <source>Device Groups</source>
        <translation>Device Groups</translation>
    </message>
    <message>
        <source>Members of the new group:</source>
        <translation>Members of the new group:</translation>
    </message>
    <message>
        <source>Members:</source>
        <translation>Members:</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the group &quot;%1&quot;? Its devices stay.</source>
        <translation>Are you sure you want to delete the group &quot;%1&quot;? Its devices stay.</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>New Group</source>
        <translation>New Group</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Group Name:</source>
        <translation>Group Name:</translation>
    </message>
    <message>
        <source>e.g. Building A</source>
        <translation>e.g. Building A</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>ManagementShowIPInfo</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>Subnet mask:</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>Gateway:</translation>
    </message>
</context>
<context>
    <name>MoreOptionDialog</name>
    <message>
        <source>Edit user account</source>
        <translation>Edit user account</translation>
    </message>
    <message>
        <source>Permissions of users</source>
        <translation>Permissions of users</translation>
    </message>
    <message>
        <source>Remove user</source>
        <translation>Remove user</translation>
    </message>
</context>
<context>
    <name>NotificationDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>If you want to get the new password from Email, please click OK to continue</source>
        <translation>If you want to get the new password from Email, please click OK to continue</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>NotifyDownloadDialog</name>
    <message>
        <source>Click here to download Pellmar software</source>
        <translation>Click here to download Pellmar software</translation>
    </message>
    <message>
        <source>To enable this function, make sure to install Pellmar software and complete PTZ camera settings to continue.</source>
        <translation>To enable this function, make sure to install Pellmar software and complete PTZ camera settings to continue.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>To enable this function, make sure you connect to PTZ camera. Please click Emergency SOS button -&gt; Pellmar Network Setting -&gt; Connect to PTZ camera.</source>
        <translation>To enable this function, make sure you connect to PTZ camera. Please click Emergency SOS button -&gt; Pellmar Network Setting -&gt; Connect to PTZ camera.</translation>
    </message>
    <message>
        <source>Emergency SOS</source>
        <translation>Emergency SOS</translation>
    </message>
</context>
<context>
    <name>Orvanta</name>
    <message>
        <source>Invalid user password</source>
        <translation>Invalid user password</translation>
    </message>
    <message>
        <source>User Password</source>
        <translation>User Password</translation>
    </message>
    <message>
        <source>Invalid user Email.</source>
        <translation>Invalid user Email.</translation>
    </message>
    <message>
        <source>The email addresses do not match.</source>
        <translation>The email addresses do not match.</translation>
    </message>
    <message>
        <source>Please get the password from Velk support.</source>
        <translation>Please get the password from Velk support.</translation>
    </message>
    <message>
        <source>If you want to get the new password from Email, please click OK to continue.</source>
        <translation>If you want to get the new password from Email, please click OK to continue.</translation>
    </message>
    <message>
        <source>Sending of email failed.</source>
        <translation>Sending of email failed.</translation>
    </message>
    <message>
        <source>Orvanta</source>
        <translation>Orvanta</translation>
    </message>
    <message>
        <source>Admin</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>Normal User</source>
        <translation>Normal User</translation>
    </message>
    <message>
        <source>Invalid user password.</source>
        <translation>Invalid user password.</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>User Email</source>
        <translation>User Email</translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation>Confirm Your Email</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>Forgot Password?</source>
        <translation>Forgot Password?</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>OtaMessageDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>OtaScheduleReportDialog</name>
    <message>
        <source>Not Started</source>
        <translation>Not Started</translation>
    </message>
    <message>
        <source>Updating</source>
        <translation>Updating</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>%1 device in total</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>%1 devices in total</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>FW Version</source>
        <translation>FW Version</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Update Date</source>
        <translation>Update Date</translation>
    </message>
</context>
<context>
    <name>OtaScheduleSetting</name>
    <message>
        <source>Known by its IP address alone, it cannot be woken for the update: it is updated only if it is on when the update starts.</source>
        <translation>Known by its IP address alone, it cannot be woken for the update: it is updated only if it is on when the update starts.</translation>
    </message>
    <message>
        <source>Can not edit this schedule.</source>
        <translation>Can not edit this schedule.</translation>
    </message>
    <message>
        <source>Can not update now, there is already a firmware update executing.</source>
        <translation>Can not update now, there is already a firmware update executing.</translation>
    </message>
    <message>
        <source>The start time has passed. Please choose a later time.</source>
        <translation>The start time has passed. Please choose a later time.</translation>
    </message>
    <message>
        <source>The schedule could not be saved.</source>
        <translation>The schedule could not be saved.</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the disk is full.</source>
        <translation>The schedule could not be saved: the disk is full.</translation>
    </message>
    <message>
        <source>Make sure all panels be connected via ethernet cable in order to remote control to power on.</source>
        <translation>Make sure all panels are connected via ethernet cable, so that they can be powered on remotely.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 devices</source>
        <translation>%1 devices</translation>
    </message>
    <message>
        <source>%1 device</source>
        <translation>%1 device</translation>
    </message>
    <message>
        <source>%1 groups</source>
        <translation>%1 groups</translation>
    </message>
    <message>
        <source>%1 group</source>
        <translation>%1 group</translation>
    </message>
    <message>
        <source>%1 in total need to be updated</source>
        <translation>%1 in total need to be updated</translation>
    </message>
    <message>
        <source>%1 in total (%2) need to be updated</source>
        <translation>%1 in total (%2) need to be updated</translation>
    </message>
    <message>
        <source>%1 selected</source>
        <translation>%1 selected</translation>
    </message>
    <message>
        <source>%1 selected (%2)</source>
        <translation>%1 selected (%2)</translation>
    </message>
    <message>
        <source>By Device</source>
        <translation>By Device</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>By Group</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>New Version : </source>
        <translation>New Version : </translation>
    </message>
    <message>
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>FW Version</source>
        <translation>FW Version</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>Device Counts</translation>
    </message>
    <message>
        <source>Firmware Update Schedule</source>
        <translation>Firmware Update Schedule</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Add A Schedule</source>
        <translation>Add A Schedule</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>Start Date</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>Schedule</translation>
    </message>
    <message>
        <source>Update Now</source>
        <translation>Update Now</translation>
    </message>
    <message>
        <source>FW Update</source>
        <translation>FW Update</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
<context>
    <name>PowerOnDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>If you want to power-on the device ,please make sure all devices are connected via ethernet cable.</source>
        <translation>If you want to power on the devices, please make sure all of them are connected via ethernet cable.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>PowerOnNotification</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Make sure all panels be connected via ethernet cable in order to remote control to power on.</source>
        <translation>Make sure all panels are connected via ethernet cable, so that they can be powered on remotely.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>PowerOnReach</name>
    <message numerus="yes">
        <source>On Time can&apos;t wake %n device(s) of this schedule: they have no MAC address.</source>
        <translation>
            <numerusform>On Time can&apos;t wake %n device of this schedule: it has no MAC address.</numerusform>
            <numerusform>On Time can&apos;t wake %n devices of this schedule: they have no MAC address.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ReStartConfirmDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>If you start to restore the database, it will clear all existing data and restart the program automatically.</source>
        <translation>If you start to restore the database, it will clear all existing data and restart the program automatically.</translation>
    </message>
</context>
<context>
    <name>RemoveUserDialog</name>
    <message>
        <source>Do you want to remove this user?

This user&apos;s all data will be deleted.</source>
        <translation>Do you want to remove this user?

This user&apos;s all data will be deleted.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ScheduleEditorForm</name>
    <message>
        <source>Repeat:</source>
        <translation>Repeat:</translation>
    </message>
    <message>
        <source>Every Day</source>
        <translation>Every Day</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Select Device</source>
        <translation>Select Device</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>Mac Address</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>ScheduleEditorPage</name>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Device Name</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>Mac Address</translation>
    </message>
    <message>
        <source>Group Name</source>
        <translation>Group Name</translation>
    </message>
    <message>
        <source>The devices and groups cannot be read at the moment (another program may be using the database). Please try again later.</source>
        <translation>The devices and groups cannot be read at the moment (another program may be using the database). Please try again later.</translation>
    </message>
</context>
<context>
    <name>ScheduleSettingSelection</name>
    <message>
        <source>Failed to check firmware version.</source>
        <translation>Failed to check firmware version.</translation>
    </message>
    <message>
        <source>No devices are out of date.</source>
        <translation>No devices are out of date.</translation>
    </message>
    <message>
        <source> device is out of date.</source>
        <translation> device is out of date.</translation>
    </message>
    <message>
        <source> devices are out of date.</source>
        <translation> devices are out of date.</translation>
    </message>
    <message>
        <source>Select One To Setup New Schedule</source>
        <translation>Select One To Setup New Schedule</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>Device Control</translation>
    </message>
    <message>
        <source>Power ON / OFF, Reboot</source>
        <translation>Power ON / OFF, Reboot</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>Firmware Update</translation>
    </message>
    <message>
        <source>xx devices are out of date.</source>
        <translation>xx devices are out of date.</translation>
    </message>
    <message>
        <source>Detection Schedule</source>
        <translation>Detection Schedule</translation>
    </message>
    <message>
        <source>Set automatic detection time</source>
        <translation>Set automatic detection time</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Scheduling</name>
    <message>
        <source>Every day</source>
        <translation>Every day</translation>
    </message>
    <message>
        <source>Mon. </source>
        <translation>Mon. </translation>
    </message>
    <message>
        <source>Tue. </source>
        <translation>Tue. </translation>
    </message>
    <message>
        <source>Wed. </source>
        <translation>Wed. </translation>
    </message>
    <message>
        <source>Thu. </source>
        <translation>Thu. </translation>
    </message>
    <message>
        <source>Fri. </source>
        <translation>Fri. </translation>
    </message>
    <message>
        <source>Sat. </source>
        <translation>Sat. </translation>
    </message>
    <message>
        <source>Sun. </source>
        <translation>Sun. </translation>
    </message>
    <message>
        <source>Not Started</source>
        <translation>Not Started</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>Successfully</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>Device Control</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>Firmware Update</translation>
    </message>
    <message>
        <source>Automatic Detection</source>
        <translation>Automatic Detection</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>All</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Scheduling</source>
        <translation>Scheduling</translation>
    </message>
    <message>
        <source>Updating</source>
        <translation>Updating</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this schedule?</source>
        <translation>Are you sure you want to delete this schedule?</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>Add Schedule</source>
        <translation>Add Schedule</translation>
    </message>
    <message>
        <source>Repeat</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>On Time</source>
        <translation>On Time</translation>
    </message>
    <message>
        <source>Reboot Time</source>
        <translation>Reboot Time</translation>
    </message>
    <message>
        <source>Off Time</source>
        <translation>Off Time</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Schedule your device</source>
        <translation>Schedule your device</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;Click &amp;quot;&lt;/span&gt;&lt;span style=&quot; font-size:11pt; font-weight:600;&quot;&gt;Add Schedule&lt;/span&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;&amp;quot; to start pre-setup the power on/off, reboot and firmware update.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;Click &amp;quot;&lt;/span&gt;&lt;span style=&quot; font-size:11pt; font-weight:600;&quot;&gt;Add Schedule&lt;/span&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;&amp;quot; to start pre-setup the power on/off, reboot and firmware update.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Update Status</source>
        <translation>Update Status</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>The schedule could not be changed: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>The schedule could not be changed: the database cannot be written at the moment (another program may be using it). Please try again later.</translation>
    </message>
    <message>
        <source>The schedule could not be deleted: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>The schedule could not be deleted: the database cannot be written at the moment (another program may be using it). Please try again later.</translation>
    </message>
    <message>
        <source>The schedule could not be changed: the disk is full.</source>
        <translation>The schedule could not be changed: the disk is full.</translation>
    </message>
    <message>
        <source>The schedule could not be deleted: the disk is full.</source>
        <translation>The schedule could not be deleted: the disk is full.</translation>
    </message>
    <message>
        <source>The schedule could not be changed.</source>
        <translation>The schedule could not be changed.</translation>
    </message>
    <message>
        <source>The schedule could not be deleted.</source>
        <translation>The schedule could not be deleted.</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the disk is full.</source>
        <translation>The schedule could not be saved: the disk is full.</translation>
    </message>
    <message>
        <source>The schedule could not be saved.</source>
        <translation>The schedule could not be saved.</translation>
    </message>
</context>
<context>
    <name>Scheduling_Setting</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
</context>
<context>
    <name>SendMailDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>The new password has been sent to your email address.</source>
        <translation>The new password has been sent to your email address.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>IFP/Control Box</source>
        <translation>IFP/Control Box</translation>
    </message>
    <message>
        <source>Streaming Audio Box</source>
        <translation>Streaming Audio Box</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>User Accounts</source>
        <translation>User Accounts</translation>
    </message>
</context>
<context>
    <name>SettingsPasswordDialog</name>
    <message>
        <source>The password could not be saved.</source>
        <translation>The password could not be saved.</translation>
    </message>
</context>
<context>
    <name>SetupUserConfirmDialog</name>
    <message>
        <source>Do you want to disable setup from server? 
When the setting is disabled,
we will clear all data and you can&apos;t control all devices.</source>
        <translation>Do you want to disable setup from server? 
When the setting is disabled,
we will clear all data and you can&apos;t control all devices.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>SystemSettingsDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>All Devices</source>
        <translation>All Devices</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>Security</translation>
    </message>
    <message>
        <source>Setup from Server:</source>
        <translation>Setup from Server:</translation>
    </message>
    <message>
        <source>Multi user:</source>
        <translation>Multi user:</translation>
    </message>
    <message>
        <source>Enable guest user:</source>
        <translation>Enable guest user:</translation>
    </message>
    <message>
        <source>Login with card:</source>
        <translation>Login with card:</translation>
    </message>
    <message>
        <source>Password for creating card accounts</source>
        <translation>Password for creating card accounts</translation>
    </message>
    <message>
        <source>Admin password:</source>
        <translation>Admin password:</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>Change Password</translation>
    </message>
    <message>
        <source>Bind admin card for login:</source>
        <translation>Bind admin card for login:</translation>
    </message>
    <message>
        <source>Change Card</source>
        <translation>Change Card</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>UserInfoDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>The settings could not be saved.</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The email addresses do not match.</source>
        <translation>The email addresses do not match.</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Email:</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>Change Password</translation>
    </message>
    <message>
        <source>Data Management:</source>
        <translation>Data Management:</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>New Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>System Language</source>
        <translation>System Language</translation>
    </message>
    <message>
        <source>Invalid user Email.</source>
        <translation>Invalid user Email.</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message>
        <source>The database could not be backed up.</source>
        <translation>The database could not be backed up.</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>Save Directory</translation>
    </message>
    <message>
        <source>DB Files (*.db)</source>
        <translation>DB Files (*.db)</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
    <message>
        <source>This file is the database in use. Please choose a backup file.</source>
        <translation>This file is the database in use. Please choose a backup file.</translation>
    </message>
    <message>
        <source>This file is not a database of this program. The current data is kept.</source>
        <translation>This file is not a database of this program. The current data is kept.</translation>
    </message>
    <message>
        <source>This backup file is damaged and cannot be restored. The current data is kept.</source>
        <translation>This backup file is damaged and cannot be restored. The current data is kept.</translation>
    </message>
    <message>
        <source>The database could not be restored. The current data is kept.</source>
        <translation>The database could not be restored. The current data is kept.</translation>
    </message>
    <message>
        <source>This file cannot be read. The current data is kept.</source>
        <translation>This file cannot be read. The current data is kept.</translation>
    </message>
    <message>
        <source>Backing up the database...</source>
        <translation>Backing up the database...</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the disk that holds %1 is full. Free space on that disk, or choose another, and try again.</source>
        <translation>The database could not be backed up, because the disk that holds %1 is full. Free space on that disk, or choose another, and try again.</translation>
    </message>
    <message>
        <source>The database could not be restored, because the disk that holds %1 is full. The current data is kept.</source>
        <translation>The database could not be restored, because the disk that holds %1 is full. The current data is kept.</translation>
    </message>
    <message>
        <source>Restoring the database...</source>
        <translation>Restoring the database...</translation>
    </message>
    <message>
        <source>This file is the database in use. Please choose another file for the backup.</source>
        <translation>This file is the database in use. Please choose another file for the backup.</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the folder %1 does not exist.</source>
        <translation>The database could not be backed up, because the folder %1 does not exist.</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the folder %1 cannot be written. Please choose another folder.</source>
        <translation>The database could not be backed up, because the folder %1 cannot be written. Please choose another folder.</translation>
    </message>
    <message>
        <source>The database could not be backed up, because another program is using it. Close that program and try again.</source>
        <translation>The database could not be backed up, because another program is using it. Close that program and try again.</translation>
    </message>
    <message>
        <source>The database could not be restored, because another program is using it. Close that program and try again. The current data is kept.</source>
        <translation>The database could not be restored, because another program is using it. Close that program and try again. The current data is kept.</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the name %1 holds characters this system cannot show. Choose a folder and a file name without them.</source>
        <translation>The database could not be backed up, because the name %1 holds characters this system cannot show. Choose a folder and a file name without them.</translation>
    </message>
    <message>
        <source>This file cannot be read, because its name or the name of its folder holds characters this system cannot show. Rename it, or move it to another folder, and try again. The current data is kept.</source>
        <translation>This file cannot be read, because its name or the name of its folder holds characters this system cannot show. Rename it, or move it to another folder, and try again. The current data is kept.</translation>
    </message>
    <message>
        <source>The backup cannot be read, because %1 beside it is not an ordinary file. Remove it, or choose another backup. The current data is kept.</source>
        <translation>The backup cannot be read, because %1 beside it is not an ordinary file. Remove it, or choose another backup. The current data is kept.</translation>
    </message>
    <message>
        <source>The database could not be restored: copies of the backup and of the files beside it need %1 MB on the disk that holds %2, and only %3 MB are free. Free space on that disk and try again. The current data is kept.</source>
        <translation>The database could not be restored: copies of the backup and of the files beside it need %1 MB on the disk that holds %2, and only %3 MB are free. Free space on that disk and try again. The current data is kept.</translation>
    </message>
    <message>
        <source>Rows left out, as each repeated the number, device name, MAC address or group name of a row before it: %1</source>
        <translation>Rows left out, as each repeated the number, device name, MAC address or group name of a row before it: %1</translation>
    </message>
    <message>
        <source>The database was restored, but not all of it fit this program:
%1</source>
        <translation>The database was restored, but not all of it fit this program:
%1</translation>
    </message>
    <message>
        <source>This backup holds a value larger than this program takes, and cannot be restored. The current data is kept.</source>
        <translation>This backup holds a value larger than this program takes, and cannot be restored. The current data is kept.</translation>
    </message>
</context>
<context>
    <name>UserPasswordNewDialog</name>
    <message>
        <source>User Password:</source>
        <translation>User Password:</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>Confirm Password:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>The passwords do not match.</translation>
    </message>
</context>
<context>
    <name>UserPasswordRemoveConfirmDialog</name>
    <message>
        <source>Do you want to disable password?

This password will be deleted.</source>
        <translation>Do you want to disable password?

This password will be deleted.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>UserRules</name>
    <message>
        <source>This user name has been occupied.</source>
        <translation>This user name has been occupied.</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message>
        <source>Name can not be empty.</source>
        <translation>Name can not be empty.</translation>
    </message>
    <message>
        <source>Password must contain at least 4 characters.</source>
        <translation>Password must contain at least 4 characters.</translation>
    </message>
    <message>
        <source>The user accounts could not be read. Please try again.</source>
        <translation>The user accounts could not be read. Please try again.</translation>
    </message>
    <message>
        <source>The user could not be saved. Please try again.</source>
        <translation>The user could not be saved. Please try again.</translation>
    </message>
    <message>
        <source>The card could not be checked. Please tap it again.</source>
        <translation>The card could not be checked. Please tap it again.</translation>
    </message>
    <message>
        <source>This card has been used by another account</source>
        <translation>This card has been used by another account</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The console is already running: its main window was brought forward.</source>
        <translation>The console is already running: its main window was brought forward.</translation>
    </message>
    <message>
        <source>The console is already running, but it showed no main window: log in there, or end it and start it again.</source>
        <translation>The console is already running, but it showed no main window: log in there, or end it and start it again.</translation>
    </message>
</context>
</TS>
