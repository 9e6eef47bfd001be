<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>AccountOverview</name>
    <message>
        <source>Sync Now did not start: the device list cannot be read while another program holds the database. Try again later.</source>
        <translation>「立即同步」未開始：其他程式正在使用資料庫，暫時無法讀取裝置清單。請稍後再試。</translation>
    </message>
    <message>
        <source>Progressing...</source>
        <translation>處理中...</translation>
    </message>
    <message>
        <source>Add User</source>
        <translation>新增使用者</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>匯入清單</translation>
    </message>
    <message>
        <source>System Settings</source>
        <translation>系統設定</translation>
    </message>
    <message>
        <source>Sync Now</source>
        <translation>立即同步</translation>
    </message>
    <message>
        <source>User Name</source>
        <translation>使用者名稱</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密碼</translation>
    </message>
    <message>
        <source>Bind Card</source>
        <translation>綁定卡片</translation>
    </message>
    <message>
        <source>User Settings</source>
        <translation>使用者設定</translation>
    </message>
    <message>
        <source>IFP Access</source>
        <translation>IFP 存取</translation>
    </message>
    <message>
        <source>Select Device</source>
        <translation>選擇裝置</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>Add user and set your IFP</source>
        <translation>新增使用者並設定您的 IFP</translation>
    </message>
    <message>
        <source>&lt;p style=&quot;font-size:10pt;&quot;&gt;Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Add User&lt;/span&gt;&quot; to add user account and Click &quot;&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;Select device&lt;/span&gt;&quot; to assign IFP to user.&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;font-size:10pt;&quot;&gt;按一下「&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;新增使用者&lt;/span&gt;」以新增使用者帳戶，再按一下「&lt;span style=&quot;font-size:11pt; font-weight:600;&quot;&gt;選擇裝置&lt;/span&gt;」將 IFP 指派給使用者。&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>AccountRegisterDialog</name>
    <message>
        <source>User Name:</source>
        <translation>使用者名稱：</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>下一步</translation>
    </message>
    <message>
        <source>This user name has been occupied.</source>
        <translation>此使用者名稱已被使用。</translation>
    </message>
</context>
<context>
    <name>AccountReportDialog</name>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>Sync Status</source>
        <translation>同步狀態</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>電源</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
</context>
<context>
    <name>AccountReportRows</name>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Failed, because setup from server is off</source>
        <translation>失敗，因為已關閉伺服器設定</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
</context>
<context>
    <name>AccountTableModel</name>
    <message>
        <source>Please edit user account to change password.</source>
        <translation>請編輯使用者帳戶以變更密碼。</translation>
    </message>
</context>
<context>
    <name>AdminPasswordConfirmDialog</name>
    <message>
        <source>Do you want to reset your password ?</source>
        <translation>是否要重設密碼？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>AdminPasswordNewDialog</name>
    <message>
        <source>Admin Password:</source>
        <translation>管理員密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>AdminPasswordResetDialog</name>
    <message>
        <source>The Password is incorrect.</source>
        <translation>密碼不正確。</translation>
    </message>
    <message>
        <source>Old Password:</source>
        <translation>舊密碼：</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>新密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>AppPermissionConfirmDialog</name>
    <message>
        <source>Your device and personal data are more vulnerable to attack by apps from unknown sources.

Your agree that you are solely responsible for any damage to your tablet or loss of data that may result from using these apps.</source>
        <translation>來源不明的應用程式可能使您的裝置與個人資料更容易遭受攻擊。

您同意自行承擔使用這些應用程式可能對裝置造成的任何損害或資料遺失。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>AppPermissionDialog</name>
    <message>
        <source>Permissions of install apps:

App &amp; content access:</source>
        <translation>安裝應用程式的權限：

應用程式與內容存取：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>AutoTestScheduleReportDialog</name>
    <message>
        <source>Not Started</source>
        <translation>未開始</translation>
    </message>
    <message>
        <source>Scheduling</source>
        <translation>排程中</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>No response during power on</source>
        <translation>開機期間無回應</translation>
    </message>
    <message>
        <source>No response during power off</source>
        <translation>關機期間無回應</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>xx devices in total</source>
        <translation>共 xx 台裝置</translation>
    </message>
    <message>
        <source>All (xx)</source>
        <translation>全部 (xx)</translation>
    </message>
    <message>
        <source>Not Started (xx)</source>
        <translation>未開始 (xx)</translation>
    </message>
    <message>
        <source>Scheduling (xx)</source>
        <translation>排程中 (xx)</translation>
    </message>
    <message>
        <source>Successfully (xx)</source>
        <translation>成功 (xx)</translation>
    </message>
    <message>
        <source>Failed (xx)</source>
        <translation>失敗 (xx)</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>備註</translation>
    </message>
</context>
<context>
    <name>AutoTestScheduleSetting</name>
    <message>
        <source>Please at least select one schedule.</source>
        <translation>請至少選擇一個排程日。</translation>
    </message>
    <message>
        <source>Please at least select one group.</source>
        <translation>請至少選擇一個群組。</translation>
    </message>
    <message>
        <source>Please at least select one device.</source>
        <translation>請至少選擇一台裝置。</translation>
    </message>
    <message>
        <source>Auto Testing Schedule</source>
        <translation>自動測試排程</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>時間：</translation>
    </message>
    <message>
        <source>Automatic Detection Time</source>
        <translation>自動偵測時間</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>時</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>分</translation>
    </message>
</context>
<context>
    <name>BindCardPassedDialog</name>
    <message>
        <source>Login with card successfully!</source>
        <translation>已成功設定卡片登入！</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>BindCardUsedDialog</name>
    <message>
        <source>This card has been used by another account</source>
        <translation>此卡片已被其他帳戶使用</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>BindCardWaitingDialog</name>
    <message>
        <source>Tap your card on the reader</source>
        <translation>請將卡片靠近讀卡機</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>略過</translation>
    </message>
</context>
<context>
    <name>Broadcast</name>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>複製</translation>
    </message>
    <message>
        <source>Move to Pending</source>
        <translation>移至待處理</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>Mon.</source>
        <translation>週一</translation>
    </message>
    <message>
        <source>Tue.</source>
        <translation>週二</translation>
    </message>
    <message>
        <source>Wed.</source>
        <translation>週三</translation>
    </message>
    <message>
        <source>Thu.</source>
        <translation>週四</translation>
    </message>
    <message>
        <source>Fri.</source>
        <translation>週五</translation>
    </message>
    <message>
        <source>Sat.</source>
        <translation>週六</translation>
    </message>
    <message>
        <source>Sun.</source>
        <translation>週日</translation>
    </message>
    <message>
        <source>Just Now</source>
        <translation>立即</translation>
    </message>
    <message>
        <source>at</source>
        <translation>於</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this broadcast?</source>
        <translation>確定要刪除此廣播嗎？</translation>
    </message>
    <message>
        <source>The broadcast could not be moved to Pending.</source>
        <translation>無法將廣播移至待處理。</translation>
    </message>
    <message>
        <source>The broadcast could not be deleted.</source>
        <translation>無法刪除廣播。</translation>
    </message>
    <message>
        <source>The broadcast could not be duplicated.</source>
        <translation>無法複製廣播。</translation>
    </message>
    <message>
        <source>Broadcast Saved</source>
        <translation>廣播已儲存</translation>
    </message>
    <message>
        <source>Add Broadcast</source>
        <translation>新增廣播</translation>
    </message>
    <message>
        <source>Pending</source>
        <translation>待處理</translation>
    </message>
    <message>
        <source>Upcoming</source>
        <translation>即將播出</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>已完成</translation>
    </message>
    <message>
        <source>Click &amp;quot;</source>
        <translation>點選「</translation>
    </message>
    <message>
        <source>Add broadcast</source>
        <translation>新增廣播</translation>
    </message>
    <message>
        <source>&amp;quot; to start.</source>
        <translation>」開始。</translation>
    </message>
    <message>
        <source>Let&apos;s broadcast now</source>
        <translation>立即開始廣播吧</translation>
    </message>
    <message>
        <source>It&apos;s quiet in here...</source>
        <translation>目前沒有任何廣播...</translation>
    </message>
    <message>
        <source>No broadcast yet</source>
        <translation>尚無廣播</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>訊息</translation>
    </message>
    <message>
        <source>The broadcast was not duplicated: the database is in use by another program. Try again later.</source>
        <translation>廣播未複製：資料庫正由其他程式使用中。請稍後再試。</translation>
    </message>
    <message>
        <source>The broadcast was not duplicated: the disk is full.</source>
        <translation>廣播未複製：磁碟已滿。</translation>
    </message>
    <message>
        <source>The broadcast was not moved to Pending: the database is in use by another program. Try again later.</source>
        <translation>廣播未移至待處理：資料庫正由其他程式使用中。請稍後再試。</translation>
    </message>
    <message>
        <source>The broadcast was not moved to Pending: the disk is full.</source>
        <translation>廣播未移至待處理：磁碟已滿。</translation>
    </message>
    <message>
        <source>The broadcast was not deleted: the database is in use by another program. Try again later.</source>
        <translation>廣播未刪除：資料庫正由其他程式使用中。請稍後再試。</translation>
    </message>
    <message>
        <source>The broadcast was not deleted: the disk is full.</source>
        <translation>廣播未刪除：磁碟已滿。</translation>
    </message>
</context>
<context>
    <name>BroadcastContentEditor</name>
    <message>
        <source>Enter your text...</source>
        <translation>請輸入文字...</translation>
    </message>
    <message>
        <source>Please enter your broadcast title of audio...</source>
        <translation>請輸入音訊廣播的標題...</translation>
    </message>
    <message>
        <source>Upload custom audio</source>
        <translation>上傳自訂音訊</translation>
    </message>
    <message>
        <source>Open a file</source>
        <translation>開啟檔案</translation>
    </message>
    <message>
        <source>Audio Files(*.mp3 *.wav)</source>
        <translation>音訊檔案(*.mp3 *.wav)</translation>
    </message>
    <message>
        <source>The audio file cannot be read.</source>
        <translation>無法讀取音訊檔案。</translation>
    </message>
    <message>
        <source>The size of the uploaded file cannot exceed 10MB.</source>
        <translation>上傳的檔案大小不可超過 10MB。</translation>
    </message>
    <message>
        <source>The audio file cannot be copied.</source>
        <translation>無法複製音訊檔案。</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文字</translation>
    </message>
    <message>
        <source>Display Type:</source>
        <translation>顯示方式：</translation>
    </message>
    <message>
        <source>Scrolling text</source>
        <translation>跑馬燈</translation>
    </message>
    <message>
        <source>Pop windows</source>
        <translation>彈出視窗</translation>
    </message>
    <message>
        <source>Only audio</source>
        <translation>僅音訊</translation>
    </message>
    <message>
        <source>Streaming audio box does not support text broadcast.</source>
        <translation>串流音訊盒不支援文字廣播。</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音訊</translation>
    </message>
    <message>
        <source>Must select an audio to broadcast.</source>
        <translation>必須選擇要廣播的音訊。</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>Default audio 1</source>
        <translation>預設音訊 1</translation>
    </message>
    <message>
        <source>Default audio 2</source>
        <translation>預設音訊 2</translation>
    </message>
    <message>
        <source>Default audio 3</source>
        <translation>預設音訊 3</translation>
    </message>
    <message>
        <source>Repeat broadcast</source>
        <translation>重複廣播</translation>
    </message>
    <message>
        <source>Wake Power-off panels up to broadcast</source>
        <translation>喚醒已關機的面板以接收廣播</translation>
    </message>
    <message>
        <source>: Duration</source>
        <translation>：持續時間</translation>
    </message>
    <message>
        <source>mins</source>
        <translation>分</translation>
    </message>
    <message>
        <source>secs</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>上一步</translation>
    </message>
    <message>
        <source>Broadcast</source>
        <translation>廣播</translation>
    </message>
    <message numerus="yes">
        <source>Wake-on-LAN can&apos;t wake %n chosen panel(s) without a MAC address.</source>
        <translation>
            <numerusform>網路喚醒無法喚醒所選的 %n 台沒有 MAC 位址的面板。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BroadcastMessageDialog</name>
    <message>
        <source>Set text before you show this dialog.</source>
        <translation>顯示此對話框前請先設定文字。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>BroadcastReportDialog</name>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>備註</translation>
    </message>
    <message>
        <source>Power-off</source>
        <translation>已關機</translation>
    </message>
    <message>
        <source>No connection</source>
        <translation>無連線</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>All (xx)</source>
        <translation>全部 (xx)</translation>
    </message>
    <message>
        <source>Successfully (xx)</source>
        <translation>成功 (xx)</translation>
    </message>
    <message>
        <source>Failed (xx)</source>
        <translation>失敗 (xx)</translation>
    </message>
    <message>
        <source>xx devices in total</source>
        <translation>共 xx 台裝置</translation>
    </message>
</context>
<context>
    <name>BroadcastSaveDialog</name>
    <message>
        <source>Save your changes?</source>
        <translation>要儲存變更嗎？</translation>
    </message>
    <message>
        <source>You have not finished yet, do you want to save your changes?</source>
        <translation>您尚未完成，要儲存變更嗎？</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Discard Changes</source>
        <translation>捨棄變更</translation>
    </message>
</context>
<context>
    <name>BroadcastSchedule</name>
    <message>
        <source>By Device</source>
        <translation>依裝置</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>依群組</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>排程</translation>
    </message>
    <message>
        <source>Broadcast Now</source>
        <translation>立即廣播</translation>
    </message>
    <message>
        <source>Broadcast Time</source>
        <translation>廣播時間</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>電源</translation>
    </message>
    <message>
        <source>Streaming Audio Box</source>
        <translation>串流音訊盒</translation>
    </message>
    <message>
        <source>IFP/Control Box</source>
        <translation>IFP/控制盒</translation>
    </message>
    <message>
        <source>Can not edit this broadcast.</source>
        <translation>無法編輯此廣播。</translation>
    </message>
    <message>
        <source>You can&apos;t select the date to broadcast before right now.</source>
        <translation>廣播時間不可早於現在。</translation>
    </message>
    <message>
        <source> devices)</source>
        <translation> 台裝置)</translation>
    </message>
    <message>
        <source> device)</source>
        <translation> 台裝置)</translation>
    </message>
    <message>
        <source> devices in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source> device in total</source>
        <translation> 台裝置</translation>
    </message>
    <message>
        <source> groups in total (</source>
        <translation> 個群組 (</translation>
    </message>
    <message>
        <source> group in total (</source>
        <translation> 個群組 (</translation>
    </message>
    <message>
        <source> devices selected</source>
        <translation> 台裝置已選取</translation>
    </message>
    <message>
        <source> device selected</source>
        <translation> 台裝置已選取</translation>
    </message>
    <message>
        <source> groups selected (</source>
        <translation> 個群組已選取 (</translation>
    </message>
    <message>
        <source> group selected (</source>
        <translation> 個群組已選取 (</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>下一步</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>開始日期</translation>
    </message>
    <message>
        <source>Repeat</source>
        <translation>重複</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>日</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>一</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>二</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>三</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>四</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>五</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>六</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>篩選：</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Device Type</source>
        <translation>裝置類型</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>裝置數量</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>套用</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>類型</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. The devices are listed once it can.</source>
        <translation>目前無法讀取裝置清單，待可讀取後便會列出裝置。</translation>
    </message>
</context>
<context>
    <name>BroadcastSetting</name>
    <message>
        <source>Save your changes?</source>
        <translation>要儲存變更嗎？</translation>
    </message>
    <message>
        <source>You have not finished yet, do you want to save your changes?</source>
        <translation>您尚未完成，要儲存變更嗎？</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Discard Changes</source>
        <translation>捨棄變更</translation>
    </message>
    <message>
        <source>Select Devices &amp; Date</source>
        <translation>選擇裝置與日期</translation>
    </message>
    <message>
        <source>Edit Content</source>
        <translation>編輯內容</translation>
    </message>
    <message>
        <source>The broadcast could not be saved.</source>
        <translation>無法儲存廣播。</translation>
    </message>
    <message>
        <source>The broadcast was not saved: the disk is full.</source>
        <translation>廣播未儲存：磁碟已滿。</translation>
    </message>
    <message>
        <source>The broadcast was not saved: the database is in use by another program. Try again later.</source>
        <translation>廣播未儲存：資料庫正由其他程式使用中。請稍後再試。</translation>
    </message>
</context>
<context>
    <name>BroadcastWidget</name>
    <message>
        <source>Broadcast content</source>
        <translation>廣播內容</translation>
    </message>
    <message>
        <source>week. yyyy-MM-dd at hh:mm</source>
        <translation>週 yyyy-MM-dd 於 hh:mm</translation>
    </message>
    <message>
        <source>To: [device name]</source>
        <translation>至：[裝置名稱]</translation>
    </message>
    <message>
        <source>xxxx Failed</source>
        <translation>xxxx 失敗</translation>
    </message>
</context>
<context>
    <name>CheckPasswordDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>無法儲存設定。</translation>
    </message>
    <message>
        <source>Invalid User Password.</source>
        <translation>使用者密碼無效。</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Please enter the current password.</source>
        <translation>請輸入目前的密碼。</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>密碼：</translation>
    </message>
</context>
<context>
    <name>ConfirmDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Are you sure [operation]?</source>
        <translation>確定要[操作]嗎？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>ConnectedItem</name>
    <message>
        <source>Online</source>
        <translation>線上</translation>
    </message>
    <message>
        <source>Locked by another password</source>
        <translation>已被其他密碼鎖定</translation>
    </message>
    <message>
        <source>Taken over by another computer</source>
        <translation>已被其他電腦接管</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>離線</translation>
    </message>
    <message>
        <source>Model: %1</source>
        <translation>型號：%1</translation>
    </message>
    <message>
        <source>Type: %1</source>
        <translation>類型：%1</translation>
    </message>
    <message>
        <source>Location: %1</source>
        <translation>位置：%1</translation>
    </message>
    <message>
        <source>IP address: %1</source>
        <translation>IP 位址：%1</translation>
    </message>
    <message>
        <source>MAC address: %1</source>
        <translation>MAC 位址：%1</translation>
    </message>
    <message>
        <source>Click to clear the mark.</source>
        <translation>按一下以清除標記。</translation>
    </message>
</context>
<context>
    <name>ConnectedList</name>
    <message>
        <source>Connected and under this console&apos;s password</source>
        <translation>已連線，並使用本主控台的密碼</translation>
    </message>
    <message>
        <source>Connected, but holding another password</source>
        <translation>已連線，但使用其他密碼</translation>
    </message>
    <message>
        <source>Taken over by another computer running the program</source>
        <translation>已被其他執行本程式的電腦接管</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>未連線</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Another computer running the program was detected.</source>
        <translation>偵測到另一台電腦正在執行本程式。</translation>
    </message>
    <message>
        <source>Online %1</source>
        <translation>線上 %1</translation>
    </message>
    <message>
        <source>Locked %1</source>
        <translation>已鎖定 %1</translation>
    </message>
    <message>
        <source>Taken over %1</source>
        <translation>已被接管 %1</translation>
    </message>
    <message>
        <source>Offline %1</source>
        <translation>離線 %1</translation>
    </message>
    <message>
        <source>Click devices to choose them</source>
        <translation>按一下裝置以選取</translation>
    </message>
    <message>
        <source>%1 of %2 chosen</source>
        <translation>已選取 %1 / %2</translation>
    </message>
    <message>
        <source>Clear Selection</source>
        <translation>清除選取</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>全選</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Event Log</source>
        <translation>事件記錄</translation>
    </message>
    <message>
        <source>No devices yet</source>
        <translation>尚無裝置</translation>
    </message>
    <message>
        <source>Add Devices</source>
        <translation>新增裝置</translation>
    </message>
    <message>
        <source>This group has no devices.</source>
        <translation>此群組沒有裝置。</translation>
    </message>
    <message>
        <source>Power On</source>
        <translation>開機</translation>
    </message>
    <message>
        <source>Wake the chosen offline devices</source>
        <translation>喚醒選取的離線裝置</translation>
    </message>
    <message>
        <source>Power Off</source>
        <translation>關機</translation>
    </message>
    <message>
        <source>Turn the chosen online devices off</source>
        <translation>將選取的線上裝置關機</translation>
    </message>
    <message>
        <source>Reboot</source>
        <translation>重新啟動</translation>
    </message>
    <message>
        <source>Restart the chosen online devices</source>
        <translation>重新啟動選取的線上裝置</translation>
    </message>
    <message>
        <source>Add your panels, control boxes and audio boxes under Settings › Devices to control them here.</source>
        <translation>請先在「設定 › 裝置」新增面板、控制盒與音訊盒，即可在此控制。</translation>
    </message>
    <message numerus="yes">
        <source>Power On can&apos;t wake %n chosen device(s) without a MAC address.</source>
        <translation>
            <numerusform>開機無法喚醒所選的 %n 台沒有 MAC 位址的裝置。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CreateAccountPasswordDialog</name>
    <message>
        <source>Create Accounts Password:</source>
        <translation>建立帳戶密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>兩次輸入的密碼不一致。</translation>
    </message>
</context>
<context>
    <name>CustomLineEditText</name>
    <message>
        <source>User Password</source>
        <translation>使用者密碼</translation>
    </message>
    <message>
        <source>User Email</source>
        <translation>使用者電子郵件</translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation>確認您的電子郵件</translation>
    </message>
</context>
<context>
    <name>CustomPlainTextEdit</name>
    <message>
        <source>Enter your text...</source>
        <translation>請輸入文字...</translation>
    </message>
    <message>
        <source>Please enter your broadcast title of audio...</source>
        <translation>請輸入音訊廣播的標題...</translation>
    </message>
</context>
<context>
    <name>DatabaseStartupNotice</name>
    <message>
        <source>The database could not be used. It has been kept as
%1
and a new, empty database was created.</source>
        <translation>無法使用資料庫。原檔案已保留為
%1
並已建立新的空白資料庫。</translation>
    </message>
    <message>
        <source>The database %1 was opened, but not every change can be saved in it.
%2</source>
        <translation>已開啟資料庫 %1，但並非所有變更都能儲存。
%2</translation>
    </message>
    <message>
        <source>The database could not be opened.
%1</source>
        <translation>無法開啟資料庫。
%1</translation>
    </message>
    <message>
        <source>The console cannot start, because its data folder cannot be written:
%1</source>
        <translation>無法寫入主控台的資料夾，因此主控台無法啟動：
%1</translation>
    </message>
    <message>
        <source>The console cannot start, because its lock file is not a file (a folder or a broken link, for example):
%1
Remove it and start the console again.</source>
        <translation>主控台無法啟動，因為它的鎖定檔不是檔案（例如是資料夾或失效的連結）：
%1
請將它移除後再啟動主控台。</translation>
    </message>
    <message>
        <source>The console cannot start, because a console on the computer &quot;%2&quot; may be using its data folder. Its lock file is:
%1
End the console there, or, if none runs there, remove the file and start the console again.</source>
        <translation>主控台無法啟動，因為電腦「%2」上的主控台可能正在使用它的資料夾。它的鎖定檔是：
%1
請結束那台電腦上的主控台；如果那裡沒有執行主控台，請將此檔案移除後再啟動主控台。</translation>
    </message>
    <message>
        <source>The disk that holds the database %1 is full, so no change can be saved in it. Free space on that disk and start the console again.</source>
        <translation>存放資料庫 %1 的磁碟已滿，因此無法儲存任何變更。請釋放該磁碟的空間，然後重新啟動主控台。</translation>
    </message>
    <message>
        <source>The console cannot start, because the disk that holds its data folder is full:
%1
Free space on that disk and start the console again.</source>
        <translation>存放主控台資料夾的磁碟已滿，因此主控台無法啟動：
%1
請釋放該磁碟的空間，然後重新啟動主控台。</translation>
    </message>
    <message>
        <source>A restore of the database was cut short before it ended. It has been finished now: the console runs on the restored data, and the data from before the restore is kept as
%1</source>
        <translation>資料庫的還原在完成前中斷。現已完成還原：主控台使用還原後的資料，還原前的資料已保留為
%1</translation>
    </message>
    <message>
        <source>A restore of the database was cut short before its copy was whole. The data from before the restore has been put back.</source>
        <translation>資料庫的還原在其副本完整前中斷。已放回還原前的資料。</translation>
    </message>
</context>
<context>
    <name>DeleteManagementDialog</name>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Failed to remove. This Device is offline now.
Please start the device and try it again.</source>
        <translation>移除失敗，此裝置目前離線。
請啟動裝置後再試一次。</translation>
    </message>
</context>
<context>
    <name>DeleteScheduleDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this schedule?</source>
        <translation>確定要刪除此排程嗎？</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>DeviceControlScheduleSetting</name>
    <message>
        <source>Please at least select one schedule.</source>
        <translation>請至少選擇一個排程日。</translation>
    </message>
    <message>
        <source>Please at least select one request.(On/Off)</source>
        <translation>請至少選擇一項要求。（開機／關機）</translation>
    </message>
    <message>
        <source>Please at least select one group.</source>
        <translation>請至少選擇一個群組。</translation>
    </message>
    <message>
        <source>Please at least select one device.</source>
        <translation>請至少選擇一台裝置。</translation>
    </message>
    <message>
        <source>Device Control Schedule</source>
        <translation>裝置控制排程</translation>
    </message>
    <message>
        <source>On Time</source>
        <translation>開機時間</translation>
    </message>
    <message>
        <source>Reboot Time</source>
        <translation>重新啟動時間</translation>
    </message>
    <message>
        <source>Off Time</source>
        <translation>關機時間</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>時</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>分</translation>
    </message>
</context>
<context>
    <name>DeviceFormDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Device Name:</source>
        <translation>裝置名稱：</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP 位址：</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC 位址：</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>位置：</translation>
    </message>
    <message>
        <source>Groups:</source>
        <translation>群組：</translation>
    </message>
    <message>
        <source>e.g. Classroom 101</source>
        <translation>例如：101 教室</translation>
    </message>
    <message>
        <source>e.g. 192.168.1.20</source>
        <translation>例如：192.168.1.20</translation>
    </message>
    <message>
        <source>e.g. 00:11:22:33:44:55</source>
        <translation>例如：00:11:22:33:44:55</translation>
    </message>
    <message>
        <source>e.g. Building A, 2nd floor</source>
        <translation>例如：A 棟 2 樓</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>PTZ Camera:</source>
        <translation>PTZ 攝影機：</translation>
    </message>
    <message>
        <source>No camera paired</source>
        <translation>未配對攝影機</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選擇</translation>
    </message>
    <message>
        <source>Choose the camera paired with this device</source>
        <translation>選擇與此裝置配對的攝影機</translation>
    </message>
    <message>
        <source>No groups of this device type yet. Create them with &quot;Groups&quot; on the page.</source>
        <translation>尚無此類裝置的群組。請使用頁面上的「群組」建立。</translation>
    </message>
</context>
<context>
    <name>DeviceListDialog</name>
    <message>
        <source>By Device</source>
        <translation>依裝置</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>依群組</translation>
    </message>
    <message>
        <source>%1 device selected</source>
        <translation>已選取 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 devices selected</source>
        <translation>已選取 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 group selected (</source>
        <translation>已選取 %1 個群組（</translation>
    </message>
    <message>
        <source>%1 groups selected (</source>
        <translation>已選取 %1 個群組（</translation>
    </message>
    <message>
        <source>%1 device)</source>
        <translation>%1 台裝置）</translation>
    </message>
    <message>
        <source>%1 devices)</source>
        <translation>%1 台裝置）</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 groups in total (</source>
        <translation>共 %1 個群組（</translation>
    </message>
    <message>
        <source>%1 group in total (</source>
        <translation>共 %1 個群組（</translation>
    </message>
    <message>
        <source>Devices List</source>
        <translation>裝置清單</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>裝置數量</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>篩選：</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>套用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>DeviceOverAssignDialog</name>
    <message>
        <source>The following devices cannot be set because their available users exceed the limit.

Do you want to continue?</source>
        <translation>下列裝置的使用者已達上限，無法設定。

要繼續嗎？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
</context>
<context>
    <name>DeviceRules</name>
    <message>
        <source>By IP address</source>
        <translation>依 IP 位址</translation>
    </message>
</context>
<context>
    <name>DeviceStore</name>
    <message>
        <source>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</source>
        <translation>最多 32 個字元，且不可包含 \ / : * ? &quot; &gt; &lt; | 等字元。</translation>
    </message>
    <message>
        <source>Device name is required.</source>
        <translation>請輸入裝置名稱。</translation>
    </message>
    <message>
        <source>Ip Address and Mac Address cannot be emtpy.</source>
        <translation>IP 位址與 MAC 位址不可同時空白。</translation>
    </message>
    <message>
        <source>Invalid IP Address.</source>
        <translation>IP 位址無效。</translation>
    </message>
    <message>
        <source>Invalid mac address.</source>
        <translation>MAC 位址無效。</translation>
    </message>
    <message>
        <source>The device list could not be read.</source>
        <translation>無法讀取裝置清單。</translation>
    </message>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>裝置名稱與其他裝置重複。</translation>
    </message>
    <message>
        <source>Mac address is duplicated with other devices.</source>
        <translation>MAC 位址與其他裝置重複。</translation>
    </message>
    <message>
        <source>Another device without Mac address exists; enter this device&apos;s Mac address.</source>
        <translation>已有另一台裝置沒有 MAC 位址，請輸入此裝置的 MAC 位址。</translation>
    </message>
    <message>
        <source>The device could not be saved.</source>
        <translation>無法儲存裝置。</translation>
    </message>
    <message>
        <source>The device no longer exists.</source>
        <translation>此裝置已不存在。</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>無法修改已連線裝置的 MAC 位址。</translation>
    </message>
    <message>
        <source>The device could not be deleted.</source>
        <translation>無法刪除裝置。</translation>
    </message>
    <message>
        <source>The groups could not be saved.</source>
        <translation>無法儲存群組。</translation>
    </message>
    <message>
        <source>Group name is required.</source>
        <translation>請輸入群組名稱。</translation>
    </message>
    <message>
        <source>The groups could not be read.</source>
        <translation>無法讀取群組。</translation>
    </message>
    <message>
        <source>Group name is duplicated with other groups.</source>
        <translation>群組名稱與其他群組重複。</translation>
    </message>
    <message>
        <source>The group could not be saved.</source>
        <translation>無法儲存群組。</translation>
    </message>
    <message>
        <source>The group could not be deleted.</source>
        <translation>無法刪除群組。</translation>
    </message>
    <message>
        <source>A group name cannot contain a comma.</source>
        <translation>群組名稱不可包含逗號。</translation>
    </message>
    <message>
        <source>The camera link could not be saved.</source>
        <translation>無法儲存攝影機連結。</translation>
    </message>
    <message>
        <source>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</source>
        <translation>沒有任何網路卡會使用此 MAC 位址（全為零、廣播或多點傳送位址）。請將其留空，以 IP 位址對應此裝置。</translation>
    </message>
    <message>
        <source>The device could not be saved: the disk is full.</source>
        <translation>無法儲存裝置：磁碟已滿。</translation>
    </message>
    <message>
        <source>The device could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>無法儲存裝置：資料庫目前無法寫入（可能正由其他程式使用）。請稍後再試。</translation>
    </message>
</context>
<context>
    <name>DeviceTableModel</name>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>PTZ Camera</source>
        <translation>PTZ 攝影機</translation>
    </message>
</context>
<context>
    <name>EditMultiUserDialog</name>
    <message>
        <source>User Name:</source>
        <translation>使用者名稱：</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>密碼：</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>變更密碼</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>新密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Bind Card Login:</source>
        <translation>卡片登入：</translation>
    </message>
    <message>
        <source>Change Bind Card</source>
        <translation>變更綁定卡片</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>兩次輸入的密碼不一致。</translation>
    </message>
</context>
<context>
    <name>EmergencyDialog</name>
    <message>
        <source>All fields marked with an asterisk (*) are required</source>
        <translation>標有星號 (*) 的欄位皆為必填</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>無法儲存設定。</translation>
    </message>
    <message>
        <source>Pellmar Network Setting</source>
        <translation>Pellmar 網路設定</translation>
    </message>
    <message>
        <source>PTZ Camera:</source>
        <translation>PTZ 攝影機：</translation>
    </message>
    <message>
        <source>Disconnect PTZ camera</source>
        <translation>中斷 PTZ 攝影機連線</translation>
    </message>
    <message>
        <source>Connect PTZ camera</source>
        <translation>連線 PTZ 攝影機</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>使用者名稱：</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>密碼：</translation>
    </message>
    <message>
        <source>Fill in PTZ camera setup information to ensure you can share live footage with emergency responders when an emergency happens.</source>
        <translation>請填寫 PTZ 攝影機設定資訊，以便在緊急事件發生時與緊急應變人員分享即時影像。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>EmergencySettingNotifyDialog</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Connection error with Pellmar: 
「Incorrect username or password」

Please modify the username and password to the correct ones to continue using the connection function.</source>
        <translation>與 Pellmar 的連線發生錯誤：
「使用者名稱或密碼不正確」

請將使用者名稱和密碼修改為正確的資料，以繼續使用連線功能。</translation>
    </message>
    <message>
        <source>Pellmar account or password error, please fill correct Pellmar account and password to save.</source>
        <translation>Pellmar 帳號或密碼錯誤，請填寫正確的 Pellmar 帳號與密碼後再儲存。</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>裝置名稱：</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP 位址：</translation>
    </message>
    <message>
        <source>Pellmar username:</source>
        <translation>Pellmar 使用者名稱：</translation>
    </message>
    <message>
        <source>The paired PTZ camera with this device cannot be connected. Please select a new PTZ camera to reconnect.</source>
        <translation>無法連線到與此裝置配對的 PTZ 攝影機，請選擇新的 PTZ 攝影機重新連線。</translation>
    </message>
    <message>
        <source>Go to Setting</source>
        <translation>前往設定</translation>
    </message>
</context>
<context>
    <name>EmergencyWarningDialog</name>
    <message>
        <source>Emergency Alert</source>
        <translation>緊急警報</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>時間：</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>裝置名稱：</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>位置：</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP 位址：</translation>
    </message>
    <message>
        <source>Please select your emergency actions.</source>
        <translation>請選擇緊急處理方式。</translation>
    </message>
    <message>
        <source>Turn on PTZ Camera</source>
        <translation>開啟 PTZ 攝影機</translation>
    </message>
    <message>
        <source>No action required</source>
        <translation>無需處理</translation>
    </message>
    <message>
        <source>Call Emergency Service</source>
        <translation>撥打緊急服務電話</translation>
    </message>
    <message>
        <source>The alarm sound can&apos;t play on this PC: only the system beep sounds.</source>
        <translation>此電腦無法播放警報音效，僅以系統提示音代替。</translation>
    </message>
</context>
<context>
    <name>EventLogDialog</name>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Emergency Event</source>
        <translation>緊急事件</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>另存新檔...</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>文字檔 (*.txt)</translation>
    </message>
    <message>
        <source>The event log could not be written to %1.</source>
        <translation>無法將事件記錄寫入 %1。</translation>
    </message>
    <message>
        <source>Event Log</source>
        <translation>事件記錄</translation>
    </message>
    <message>
        <source>Export Log</source>
        <translation>匯出記錄</translation>
    </message>
    <message>
        <source>No events.</source>
        <translation>沒有事件。</translation>
    </message>
    <message numerus="yes">
        <source>Only the first %n characters are shown.</source>
        <translation>
            <numerusform>僅顯示前 %n 個字元。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExitPendingNotice</name>
    <message numerus="yes">
        <source>The console will close once the emergency alert is answered and %n records are saved.</source>
        <translation>
            <numerusform>緊急警報回應完畢且 %n 筆記錄儲存完成後，主控台將會結束。</numerusform>
        </translation>
    </message>
    <message>
        <source>The console will close once the emergency alert is answered.</source>
        <translation>緊急警報回應完畢後，主控台將會結束。</translation>
    </message>
    <message numerus="yes">
        <source>The console will close once %n records are saved.</source>
        <translation>
            <numerusform>%n 筆記錄儲存完成後，主控台將會結束。</numerusform>
        </translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Stay Open</source>
        <translation>繼續執行</translation>
    </message>
    <message numerus="yes">
        <source>The console will close once the %1 emergency alerts are answered and %n records are saved.</source>
        <translation>
            <numerusform>%1 則緊急警報回應完畢且 %n 筆記錄儲存完成後，主控台將會結束。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The console will close once the %n emergency alerts are answered.</source>
        <translation>
            <numerusform>%n 則緊急警報回應完畢後，主控台將會結束。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExitUnsavedDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>等候</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>結束</translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: another program holds the database. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>尚有 %n 筆記錄未儲存：另一個程式正佔用資料庫。要等候（儲存完成後主控台會自行結束），還是不儲存這些記錄直接結束？</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: the disk is full. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>尚有 %n 筆記錄未儲存：磁碟已滿。要等候（儲存完成後主控台會自行結束），還是不儲存這些記錄直接結束？</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n records are not saved yet: the database file could not be read or written. Wait, and the console ends by itself once they are saved, or quit without them?</source>
        <translation>
            <numerusform>尚有 %n 筆記錄未儲存：無法讀取或寫入資料庫檔案。要等候（儲存完成後主控台會自行結束），還是不儲存這些記錄直接結束？</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <source>%1 already exists and was not replaced. Please choose another name.</source>
        <translation>%1 已存在，未予取代。請選擇其他名稱。</translation>
    </message>
</context>
<context>
    <name>FrameLayoutPage</name>
    <message>
        <source>Open </source>
        <translation>開啟 </translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>離開</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>裝置控制</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Schedule Setup</source>
        <translation>排程設定</translation>
    </message>
    <message>
        <source>Broadcast</source>
        <translation>廣播</translation>
    </message>
    <message>
        <source>Firmware Update Available</source>
        <translation>有可用的韌體更新</translation>
    </message>
    <message>
        <source>A newer version of the firmware is available for Velk IFP, please update to the lastest firmware.</source>
        <translation>Velk IFP 有較新版本的韌體，請更新至最新韌體。</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>略過此版本</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>稍後提醒我</translation>
    </message>
    <message>
        <source>Setup Update</source>
        <translation>設定更新</translation>
    </message>
    <message numerus="yes">
        <source>%n records could not be saved in the database and were given up. The log names them.</source>
        <translation>
            <numerusform>%n 筆記錄無法存入資料庫，已放棄儲存。記錄檔中列出了這些記錄。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GeneralMsgDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>IFPUpgradeManager</name>
    <message>
        <source>Update Available for </source>
        <translation>有可用的韌體更新： </translation>
    </message>
    <message>
        <source> &amp; </source>
        <translation> 與 </translation>
    </message>
</context>
<context>
    <name>ImportDialog</name>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>(Use &quot;&quot;,&quot;&quot; between names)</source>
        <translation>（名稱之間請以 &quot;&quot;,&quot;&quot; 分隔）</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>(ex 00:11:22:33:44:55)</source>
        <translation>（例如 00:11:22:33:44:55）</translation>
    </message>
    <message>
        <source>Device Type</source>
        <translation>裝置類型</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Username for Emergency SOS</source>
        <translation>緊急求救使用者名稱</translation>
    </message>
    <message>
        <source>Camera Name for Emergency SOS</source>
        <translation>緊急求救攝影機名稱</translation>
    </message>
    <message>
        <source>Ip Address and Mac Address cannot be emtpy.</source>
        <translation>IP 位址與 MAC 位址不可同時空白。</translation>
    </message>
    <message>
        <source>Invalid IP Address.</source>
        <translation>IP 位址無效。</translation>
    </message>
    <message>
        <source>Invalid mac address.</source>
        <translation>MAC 位址無效。</translation>
    </message>
    <message>
        <source>Device name is required.</source>
        <translation>請輸入裝置名稱。</translation>
    </message>
    <message>
        <source>Invalid device type.</source>
        <translation>裝置類型無效。</translation>
    </message>
    <message>
        <source>This type of device does not support emergency SOS.</source>
        <translation>此類型的裝置不支援緊急求救。</translation>
    </message>
    <message>
        <source>Username is required for emergency SOS.</source>
        <translation>緊急求救需要使用者名稱。</translation>
    </message>
    <message>
        <source>Camera name is required for emergency SOS.</source>
        <translation>緊急求救需要攝影機名稱。</translation>
    </message>
    <message>
        <source>The device list could not be read.</source>
        <translation>無法讀取裝置清單。</translation>
    </message>
    <message>
        <source>The device could not be saved.</source>
        <translation>無法儲存裝置。</translation>
    </message>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>裝置名稱與其他裝置重複。</translation>
    </message>
    <message>
        <source>Cannot modify device type of existing device.</source>
        <translation>無法修改現有裝置的裝置類型。</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>無法修改已連線裝置的 MAC 位址。</translation>
    </message>
    <message>
        <source>The username does not exist.</source>
        <translation>此使用者名稱不存在。</translation>
    </message>
    <message>
        <source>The camera does not exist.</source>
        <translation>此攝影機不存在。</translation>
    </message>
    <message>
        <source>Mac address is duplicated with other devices.</source>
        <translation>MAC 位址與其他裝置重複。</translation>
    </message>
    <message>
        <source>The camera link could not be saved.</source>
        <translation>無法儲存攝影機連結。</translation>
    </message>
    <message>
        <source>The group could not be saved.</source>
        <translation>無法儲存群組。</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>儲存位置</translation>
    </message>
    <message>
        <source>The device list could not be saved to this file.</source>
        <translation>無法將裝置清單儲存至此檔案。</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>開啟檔案</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>匯入</translation>
    </message>
    <message>
        <source>Please download the existing file to edit. If you manage the devices in the first time, please download the existing file to edit, too.</source>
        <translation>請下載現有檔案進行編輯。若是第一次管理裝置，也請先下載現有檔案再進行編輯。</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>匯入清單</translation>
    </message>
    <message>
        <source>Download the existing file</source>
        <translation>下載現有檔案</translation>
    </message>
    <message>
        <source>The file could not be read.</source>
        <translation>無法讀取此檔案。</translation>
    </message>
    <message>
        <source>Use at most 32 characters and none of \ / : * ? &quot; &gt; &lt; |.</source>
        <translation>最多 32 個字元，且不可包含 \ / : * ? &quot; &gt; &lt; | 等字元。</translation>
    </message>
    <message>
        <source>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</source>
        <translation>此欄位含有無法讀取的字元，請將檔案另存為 CSV UTF-8 格式後再匯入。</translation>
    </message>
    <message>
        <source>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</source>
        <translation>此檔案的儲存格不是以逗號分隔。請將檔案另存為 CSV UTF-8 格式後再匯入。</translation>
    </message>
    <message>
        <source>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</source>
        <translation>此檔案的儲存格是以分號分隔。請改以逗號分隔儲存格並儲存後再匯入。</translation>
    </message>
    <message>
        <source>No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match the device by its IP address.</source>
        <translation>沒有任何網路卡會使用此 MAC 位址（全為零、廣播或多點傳送位址）。請將其留空，以 IP 位址對應此裝置。</translation>
    </message>
    <message>
        <source>No device was imported: the file has no row after its header line.</source>
        <translation>未匯入任何裝置：檔案在標題列之後沒有任何資料列。</translation>
    </message>
    <message>
        <source>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</source>
        <translation>此儲存格中開始的引號（&quot;）始終沒有結束。請補上結束的引號或將它刪除，然後再匯入檔案。</translation>
    </message>
    <message>
        <source>This row is empty. Remove it and import the file again.</source>
        <translation>此列為空白。請刪除此列後再匯入檔案。</translation>
    </message>
</context>
<context>
    <name>ImportErrorDialog</name>
    <message>
        <source>The 1st error on Column [</source>
        <translation>第一個錯誤位於欄 [</translation>
    </message>
    <message>
        <source>], Row [</source>
        <translation>]，列 [</translation>
    </message>
    <message>
        <source>]</source>
        <translation>]</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>The files at least contains one more error data:</source>
        <translation>檔案中至少包含一筆錯誤資料：</translation>
    </message>
</context>
<context>
    <name>ImportListDialog</name>
    <message>
        <source>The sample file could not be saved to this file.</source>
        <translation>無法將範例檔案儲存為此檔案。</translation>
    </message>
    <message>
        <source>This column is missing from the row.</source>
        <translation>此列缺少這一欄。</translation>
    </message>
    <message>
        <source>Content of title column is wrong.</source>
        <translation>標題欄的內容有誤。</translation>
    </message>
    <message>
        <source>The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.</source>
        <translation>此檔案的儲存格不是以逗號分隔。請將檔案另存為 CSV UTF-8 格式後再匯入。</translation>
    </message>
    <message>
        <source>The cells of this file are separated by semicolons. Save it with commas between the cells and import it again.</source>
        <translation>此檔案的儲存格是以分號分隔。請改以逗號分隔儲存格並儲存後再匯入。</translation>
    </message>
    <message>
        <source>No user was imported: the file has no row after its header line.</source>
        <translation>未匯入任何使用者：檔案在標題列之後沒有任何資料列。</translation>
    </message>
    <message>
        <source>Name can not be emtpy.</source>
        <translation>名稱不可空白。</translation>
    </message>
    <message>
        <source>Password must contain at least 4 characters.</source>
        <translation>密碼至少需要 4 個字元。</translation>
    </message>
    <message>
        <source>Password cannot contain Chinese characters.</source>
        <translation>密碼不可包含中文字元。</translation>
    </message>
    <message>
        <source>This RFID ID has been used by another account in server.</source>
        <translation>此 RFID ID 已被伺服器上的其他帳戶使用。</translation>
    </message>
    <message>
        <source>Value should be &quot;Enable&quot; or &quot;Disable&quot;.</source>
        <translation>值必須為「Enable」或「Disable」。</translation>
    </message>
    <message>
        <source>The user accounts could not be read.</source>
        <translation>無法讀取使用者帳戶。</translation>
    </message>
    <message>
        <source>There have same RFID ID in different account.</source>
        <translation>不同帳戶使用了相同的 RFID ID。</translation>
    </message>
    <message>
        <source>At least one device cannot be set due to exceed the limit.</source>
        <translation>至少有一台裝置因超過使用者上限而無法設定。</translation>
    </message>
    <message>
        <source>This row could not be saved. Nothing was imported.</source>
        <translation>無法儲存此列，未匯入任何資料。</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>儲存位置</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>開啟檔案</translation>
    </message>
    <message>
        <source>The file could not be read.</source>
        <translation>無法讀取此檔案。</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>匯入</translation>
    </message>
    <message>
        <source>You can download a sample file first to key in user information.</source>
        <translation>您可以先下載範例檔案，再輸入使用者資訊。</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>匯入清單</translation>
    </message>
    <message>
        <source>Download a sample file</source>
        <translation>下載範例檔案</translation>
    </message>
    <message>
        <source>This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.</source>
        <translation>此欄位含有無法讀取的字元，請將檔案另存為 CSV UTF-8 格式後再匯入。</translation>
    </message>
    <message>
        <source>A quote (&quot;) opened in this cell is never closed. Close or remove it and import the file again.</source>
        <translation>此儲存格中開始的引號（&quot;）始終沒有結束。請補上結束的引號或將它刪除，然後再匯入檔案。</translation>
    </message>
    <message>
        <source>This row is empty. Remove it and import the file again.</source>
        <translation>此列為空白。請刪除此列後再匯入檔案。</translation>
    </message>
</context>
<context>
    <name>ImportStoppedNotice</name>
    <message>
        <source>The import stopped because the disk is full. Nothing of the file was kept.</source>
        <translation>匯入已停止，因為磁碟已滿。檔案中的資料均未保留。</translation>
    </message>
    <message>
        <source>The import stopped because the database file is read-only. Nothing of the file was kept.</source>
        <translation>匯入已停止，因為資料庫檔案為唯讀。檔案中的資料均未保留。</translation>
    </message>
    <message>
        <source>The import stopped because the database file could not be written. Nothing of the file was kept.</source>
        <translation>匯入已停止，因為無法寫入資料庫檔案。檔案中的資料均未保留。</translation>
    </message>
</context>
<context>
    <name>LanguageDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>After you save this change of language, this program will be restarted automatically.</source>
        <translation>儲存語言變更後，本程式將自動重新啟動。</translation>
    </message>
</context>
<context>
    <name>Management</name>
    <message>
        <source>All Groups</source>
        <translation>所有群組</translation>
    </message>
    <message>
        <source>Devices: %1</source>
        <translation>裝置：%1</translation>
    </message>
    <message>
        <source>Devices: %1 of %2</source>
        <translation>裝置：%1 / %2</translation>
    </message>
    <message>
        <source>No audio boxes yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</source>
        <translation>尚無音訊盒。
請使用「新增裝置」新增、使用「自動偵測」從網路上找到的裝置中選取，或使用「匯入清單」載入清單。</translation>
    </message>
    <message>
        <source>No devices yet.
Add one with &quot;Add Device&quot;, pick one found on the network with &quot;Auto Detect&quot;, or load a list with &quot;Import List&quot;.</source>
        <translation>尚無裝置。
請使用「新增裝置」新增、使用「自動偵測」從網路上找到的裝置中選取，或使用「匯入清單」載入清單。</translation>
    </message>
    <message>
        <source>No device matches the search or the group filter.</source>
        <translation>沒有符合搜尋條件或群組篩選的裝置。</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the device &quot;%1&quot;?</source>
        <translation>確定要刪除裝置「%1」嗎？</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>Filter by group</source>
        <translation>依群組篩選</translation>
    </message>
    <message>
        <source>Add Device</source>
        <translation>新增裝置</translation>
    </message>
    <message>
        <source>Add a device by its IP or MAC address</source>
        <translation>以 IP 或 MAC 位址新增裝置</translation>
    </message>
    <message>
        <source>Auto Detect</source>
        <translation>自動偵測</translation>
    </message>
    <message>
        <source>Add devices found on the network</source>
        <translation>新增在網路上找到的裝置</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Import List</source>
        <translation>匯入清單</translation>
    </message>
    <message>
        <source>Emergency SOS</source>
        <translation>緊急 SOS</translation>
    </message>
    <message>
        <source>The link to the PTZ cameras&apos; management program</source>
        <translation>PTZ 攝影機管理程式的連結設定</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. It is shown here once it can.</source>
        <translation>目前無法讀取裝置清單，待可讀取後便會顯示於此。</translation>
    </message>
</context>
<context>
    <name>ManagementAddCamera</name>
    <message>
        <source>Only one device can be selected.</source>
        <translation>只能選擇一個裝置。</translation>
    </message>
    <message>
        <source>At least one device should be selected.</source>
        <translation>請至少選擇一個裝置。</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>ManagementAddDevice</name>
    <message>
        <source>Add Audio Box</source>
        <translation>新增音訊盒</translation>
    </message>
    <message>
        <source>Add Device</source>
        <translation>新增裝置</translation>
    </message>
</context>
<context>
    <name>ManagementAutoDetect</name>
    <message>
        <source>Device name is duplicated with other devices.</source>
        <translation>裝置名稱與其他裝置重複。</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>Tick the devices to add.</source>
        <translation>請勾選要新增的裝置。</translation>
    </message>
    <message>
        <source>The device list can&apos;t be read right now. New devices are listed once it can.</source>
        <translation>目前無法讀取裝置清單，待可讀取後便會列出新裝置。</translation>
    </message>
    <message>
        <source>This device reports a Mac address that no network card has (all zeros, broadcast or multicast). It is added by its IP address alone.</source>
        <translation>此裝置回報的 MAC 位址不屬於任何網路卡（全為零、廣播或多點傳送位址），將僅以其 IP 位址新增。</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Automatic Detection</source>
        <translation>自動偵測</translation>
    </message>
    <message>
        <source>Devices that searched for this console and are not managed yet. Tick the ones to add and give each a name.</source>
        <translation>以下是曾搜尋本主控台但尚未納入管理的裝置。請勾選要新增的裝置，並為每台裝置命名。</translation>
    </message>
    <message>
        <source>No new devices found.
A device appears here when it searches for this console on the network.</source>
        <translation>找不到新裝置。
當裝置在網路上搜尋本主控台時，便會顯示於此。</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型號</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>重新整理</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>新增</translation>
    </message>
</context>
<context>
    <name>ManagementEditDevice</name>
    <message>
        <source>Edit Device</source>
        <translation>編輯裝置</translation>
    </message>
    <message>
        <source>Cannot modify connected device&apos;s Mac address.</source>
        <translation>無法修改已連線裝置的 MAC 位址。</translation>
    </message>
</context>
<context>
    <name>ManagementGroupDialog</name>
    <message>
        <source>Audio Box Groups</source>
        <translation>音訊盒群組</translation>
    </message>
    <message>
        <source>Device Groups</source>
        <translation>裝置群組</translation>
    </message>
    <message>
        <source>Members of the new group:</source>
        <translation>新群組的成員：</translation>
    </message>
    <message>
        <source>Members:</source>
        <translation>成員：</translation>
    </message>
    <message>
        <source>Are you sure you want to delete the group &quot;%1&quot;? Its devices stay.</source>
        <translation>確定要刪除群組「%1」嗎？群組內的裝置將會保留。</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>New Group</source>
        <translation>新增群組</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Group Name:</source>
        <translation>群組名稱：</translation>
    </message>
    <message>
        <source>e.g. Building A</source>
        <translation>例如：A 棟</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>ManagementShowIPInfo</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP 位址：</translation>
    </message>
    <message>
        <source>Subnet mask:</source>
        <translation>子網路遮罩：</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>閘道：</translation>
    </message>
</context>
<context>
    <name>MoreOptionDialog</name>
    <message>
        <source>Edit user account</source>
        <translation>編輯使用者帳戶</translation>
    </message>
    <message>
        <source>Permissions of users</source>
        <translation>使用者權限</translation>
    </message>
    <message>
        <source>Remove user</source>
        <translation>移除使用者</translation>
    </message>
</context>
<context>
    <name>NotificationDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>If you want to get the new password from Email, please click OK to continue</source>
        <translation>若要透過電子郵件取得新密碼，請按「確定」繼續</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>NotifyDownloadDialog</name>
    <message>
        <source>Click here to download Pellmar software</source>
        <translation>按此下載 Pellmar 軟體</translation>
    </message>
    <message>
        <source>To enable this function, make sure to install Pellmar software and complete PTZ camera settings to continue.</source>
        <translation>若要使用此功能，請先安裝 Pellmar 軟體並完成 PTZ 攝影機設定。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>To enable this function, make sure you connect to PTZ camera. Please click Emergency SOS button -&gt; Pellmar Network Setting -&gt; Connect to PTZ camera.</source>
        <translation>若要使用此功能，請先連線 PTZ 攝影機：按「緊急 SOS」按鈕 -&gt; 「Pellmar 網路設定」-&gt; 「連線 PTZ 攝影機」。</translation>
    </message>
    <message>
        <source>Emergency SOS</source>
        <translation>緊急 SOS</translation>
    </message>
</context>
<context>
    <name>Orvanta</name>
    <message>
        <source>Invalid user password</source>
        <translation>使用者密碼無效</translation>
    </message>
    <message>
        <source>User Password</source>
        <translation>使用者密碼</translation>
    </message>
    <message>
        <source>Invalid user Email.</source>
        <translation>使用者電子郵件無效。</translation>
    </message>
    <message>
        <source>The email addresses do not match.</source>
        <translation>兩次輸入的電子郵件地址不一致。</translation>
    </message>
    <message>
        <source>Please get the password from Velk support.</source>
        <translation>請向 Velk 技術支援取得密碼。</translation>
    </message>
    <message>
        <source>If you want to get the new password from Email, please click OK to continue.</source>
        <translation>若要透過電子郵件取得新密碼，請按「確定」繼續。</translation>
    </message>
    <message>
        <source>Sending of email failed.</source>
        <translation>電子郵件傳送失敗。</translation>
    </message>
    <message>
        <source>Orvanta</source>
        <translation>Orvanta</translation>
    </message>
    <message>
        <source>Admin</source>
        <translation>管理員</translation>
    </message>
    <message>
        <source>Normal User</source>
        <translation>一般使用者</translation>
    </message>
    <message>
        <source>Invalid user password.</source>
        <translation>使用者密碼無效。</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登入</translation>
    </message>
    <message>
        <source>User Email</source>
        <translation>使用者電子郵件</translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation>確認您的電子郵件</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Forgot Password?</source>
        <translation>忘記密碼？</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>離開</translation>
    </message>
</context>
<context>
    <name>OtaMessageDialog</name>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>OtaScheduleReportDialog</name>
    <message>
        <source>Not Started</source>
        <translation>未開始</translation>
    </message>
    <message>
        <source>Updating</source>
        <translation>更新中</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>%1 device in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
    <message>
        <source>%1 devices in total</source>
        <translation>共 %1 台裝置</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型號</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>FW Version</source>
        <translation>韌體版本</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>Update Date</source>
        <translation>更新日期</translation>
    </message>
</context>
<context>
    <name>OtaScheduleSetting</name>
    <message>
        <source>Known by its IP address alone, it cannot be woken for the update: it is updated only if it is on when the update starts.</source>
        <translation>此裝置僅以 IP 位址識別，無法為了更新而喚醒：只有在更新開始時已開機，才會進行更新。</translation>
    </message>
    <message>
        <source>Can not edit this schedule.</source>
        <translation>無法編輯此排程。</translation>
    </message>
    <message>
        <source>Can not update now, there is already a firmware update executing.</source>
        <translation>目前無法立即更新，已有韌體更新正在執行。</translation>
    </message>
    <message>
        <source>The start time has passed. Please choose a later time.</source>
        <translation>開始時間已過，請選擇較晚的時間。</translation>
    </message>
    <message>
        <source>The schedule could not be saved.</source>
        <translation>無法儲存排程。</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>無法儲存排程：資料庫目前無法寫入（可能正由其他程式使用）。請稍後再試。</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the disk is full.</source>
        <translation>無法儲存排程：磁碟已滿。</translation>
    </message>
    <message>
        <source>Make sure all panels be connected via ethernet cable in order to remote control to power on.</source>
        <translation>請確認所有面板皆已透過網路線連接，才能遠端開機。</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>%1 devices</source>
        <translation>%1 台裝置</translation>
    </message>
    <message>
        <source>%1 device</source>
        <translation>%1 台裝置</translation>
    </message>
    <message>
        <source>%1 groups</source>
        <translation>%1 個群組</translation>
    </message>
    <message>
        <source>%1 group</source>
        <translation>%1 個群組</translation>
    </message>
    <message>
        <source>%1 in total need to be updated</source>
        <translation>共有 %1 需要更新</translation>
    </message>
    <message>
        <source>%1 in total (%2) need to be updated</source>
        <translation>共有 %1（%2）需要更新</translation>
    </message>
    <message>
        <source>%1 selected</source>
        <translation>已選取 %1</translation>
    </message>
    <message>
        <source>%1 selected (%2)</source>
        <translation>已選取 %1（%2）</translation>
    </message>
    <message>
        <source>By Device</source>
        <translation>依裝置</translation>
    </message>
    <message>
        <source>By Group</source>
        <translation>依群組</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>New Version : </source>
        <translation>新版本： </translation>
    </message>
    <message>
        <source>Online</source>
        <translation>線上</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>離線</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>篩選：</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型號</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>FW Version</source>
        <translation>韌體版本</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>套用</translation>
    </message>
    <message>
        <source>Device Counts</source>
        <translation>裝置數量</translation>
    </message>
    <message>
        <source>Firmware Update Schedule</source>
        <translation>韌體更新排程</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>上一步</translation>
    </message>
    <message>
        <source>Add A Schedule</source>
        <translation>新增排程</translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>開始日期</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>排程</translation>
    </message>
    <message>
        <source>Update Now</source>
        <translation>立即更新</translation>
    </message>
    <message>
        <source>FW Update</source>
        <translation>韌體更新</translation>
    </message>
    <message>
        <source>Power</source>
        <translation>電源</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
</context>
<context>
    <name>PowerOnDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>If you want to power-on the device ,please make sure all devices are connected via ethernet cable.</source>
        <translation>若要將裝置開機，請確認所有裝置皆已透過網路線連接。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>PowerOnNotification</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Make sure all panels be connected via ethernet cable in order to remote control to power on.</source>
        <translation>請確認所有面板皆已透過網路線連接，才能遠端開機。</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>PowerOnReach</name>
    <message numerus="yes">
        <source>On Time can&apos;t wake %n device(s) of this schedule: they have no MAC address.</source>
        <translation>
            <numerusform>開機時間無法喚醒此排程中的 %n 台裝置：它們沒有 MAC 位址。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ReStartConfirmDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>繼續</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>If you start to restore the database, it will clear all existing data and restart the program automatically.</source>
        <translation>開始還原資料庫後，將清除所有現有資料並自動重新啟動程式。</translation>
    </message>
</context>
<context>
    <name>RemoveUserDialog</name>
    <message>
        <source>Do you want to remove this user?

This user&apos;s all data will be deleted.</source>
        <translation>確定要移除此使用者嗎？

此使用者的所有資料都將被刪除。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>ScheduleEditorForm</name>
    <message>
        <source>Repeat:</source>
        <translation>重複：</translation>
    </message>
    <message>
        <source>Every Day</source>
        <translation>每天</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>一</translation>
    </message>
    <message>
        <source>Tue</source>
        <translation>二</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>三</translation>
    </message>
    <message>
        <source>Thu</source>
        <translation>四</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>五</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>六</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>日</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Select Device</source>
        <translation>選擇裝置</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>上一步</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>ScheduleEditorPage</name>
    <message>
        <source>Filter</source>
        <translation>篩選</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>裝置名稱</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Mac Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>Group Name</source>
        <translation>群組名稱</translation>
    </message>
    <message>
        <source>The devices and groups cannot be read at the moment (another program may be using the database). Please try again later.</source>
        <translation>目前無法讀取裝置與群組（資料庫可能正由其他程式使用）。請稍後再試。</translation>
    </message>
</context>
<context>
    <name>ScheduleSettingSelection</name>
    <message>
        <source>Failed to check firmware version.</source>
        <translation>無法檢查韌體版本。</translation>
    </message>
    <message>
        <source>No devices are out of date.</source>
        <translation>沒有需要更新的裝置。</translation>
    </message>
    <message>
        <source> device is out of date.</source>
        <translation> 台裝置需要更新。</translation>
    </message>
    <message>
        <source> devices are out of date.</source>
        <translation> 台裝置需要更新。</translation>
    </message>
    <message>
        <source>Select One To Setup New Schedule</source>
        <translation>請選擇要設定的新排程</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>裝置控制</translation>
    </message>
    <message>
        <source>Power ON / OFF, Reboot</source>
        <translation>開機／關機、重新啟動</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>韌體更新</translation>
    </message>
    <message>
        <source>xx devices are out of date.</source>
        <translation>xx 台裝置需要更新。</translation>
    </message>
    <message>
        <source>Detection Schedule</source>
        <translation>偵測排程</translation>
    </message>
    <message>
        <source>Set automatic detection time</source>
        <translation>設定自動偵測時間</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>關閉</translation>
    </message>
</context>
<context>
    <name>Scheduling</name>
    <message>
        <source>Every day</source>
        <translation>每天</translation>
    </message>
    <message>
        <source>Mon. </source>
        <translation>週一 </translation>
    </message>
    <message>
        <source>Tue. </source>
        <translation>週二 </translation>
    </message>
    <message>
        <source>Wed. </source>
        <translation>週三 </translation>
    </message>
    <message>
        <source>Thu. </source>
        <translation>週四 </translation>
    </message>
    <message>
        <source>Fri. </source>
        <translation>週五 </translation>
    </message>
    <message>
        <source>Sat. </source>
        <translation>週六 </translation>
    </message>
    <message>
        <source>Sun. </source>
        <translation>週日 </translation>
    </message>
    <message>
        <source>Not Started</source>
        <translation>未開始</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source>Successfully</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>啟用</translation>
    </message>
    <message>
        <source>Disable</source>
        <translation>停用</translation>
    </message>
    <message>
        <source>Device Control</source>
        <translation>裝置控制</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>韌體更新</translation>
    </message>
    <message>
        <source>Automatic Detection</source>
        <translation>自動偵測</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>搜尋</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>編輯</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>刪除</translation>
    </message>
    <message>
        <source>Scheduling</source>
        <translation>排程中</translation>
    </message>
    <message>
        <source>Updating</source>
        <translation>更新中</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this schedule?</source>
        <translation>確定要刪除此排程嗎？</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>報告</translation>
    </message>
    <message>
        <source>Add Schedule</source>
        <translation>新增排程</translation>
    </message>
    <message>
        <source>Repeat</source>
        <translation>重複</translation>
    </message>
    <message>
        <source>On Time</source>
        <translation>開機時間</translation>
    </message>
    <message>
        <source>Reboot Time</source>
        <translation>重新啟動時間</translation>
    </message>
    <message>
        <source>Off Time</source>
        <translation>關機時間</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>群組</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>狀態</translation>
    </message>
    <message>
        <source>Schedule your device</source>
        <translation>排程您的裝置</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;Click &amp;quot;&lt;/span&gt;&lt;span style=&quot; font-size:11pt; font-weight:600;&quot;&gt;Add Schedule&lt;/span&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;&amp;quot; to start pre-setup the power on/off, reboot and firmware update.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;按一下「&lt;/span&gt;&lt;span style=&quot; font-size:11pt; font-weight:600;&quot;&gt;新增排程&lt;/span&gt;&lt;span style=&quot; font-size:10pt;&quot;&gt;」，預先設定開機／關機、重新啟動與韌體更新。&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Filter:</source>
        <translation>篩選：</translation>
    </message>
    <message>
        <source>Update Status</source>
        <translation>更新狀態</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>套用</translation>
    </message>
    <message>
        <source>The schedule could not be changed: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>無法變更排程：資料庫目前無法寫入（可能正由其他程式使用）。請稍後再試。</translation>
    </message>
    <message>
        <source>The schedule could not be deleted: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>無法刪除排程：資料庫目前無法寫入（可能正由其他程式使用）。請稍後再試。</translation>
    </message>
    <message>
        <source>The schedule could not be changed: the disk is full.</source>
        <translation>無法變更排程：磁碟已滿。</translation>
    </message>
    <message>
        <source>The schedule could not be deleted: the disk is full.</source>
        <translation>無法刪除排程：磁碟已滿。</translation>
    </message>
    <message>
        <source>The schedule could not be changed.</source>
        <translation>無法變更排程。</translation>
    </message>
    <message>
        <source>The schedule could not be deleted.</source>
        <translation>無法刪除排程。</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the database cannot be written at the moment (another program may be using it). Please try again later.</source>
        <translation>無法儲存排程：資料庫目前無法寫入（可能正由其他程式使用）。請稍後再試。</translation>
    </message>
    <message>
        <source>The schedule could not be saved: the disk is full.</source>
        <translation>無法儲存排程：磁碟已滿。</translation>
    </message>
    <message>
        <source>The schedule could not be saved.</source>
        <translation>無法儲存排程。</translation>
    </message>
</context>
<context>
    <name>Scheduling_Setting</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
</context>
<context>
    <name>SendMailDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>The new password has been sent to your email address.</source>
        <translation>新密碼已寄送至您的電子郵件地址。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>IFP/Control Box</source>
        <translation>IFP/控制盒</translation>
    </message>
    <message>
        <source>Streaming Audio Box</source>
        <translation>串流音訊盒</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>User Accounts</source>
        <translation>使用者帳戶</translation>
    </message>
</context>
<context>
    <name>SettingsPasswordDialog</name>
    <message>
        <source>The password could not be saved.</source>
        <translation>無法儲存密碼。</translation>
    </message>
</context>
<context>
    <name>SetupUserConfirmDialog</name>
    <message>
        <source>Do you want to disable setup from server? 
When the setting is disabled,
we will clear all data and you can&apos;t control all devices.</source>
        <translation>是否要停用伺服器設定？
停用此設定後，
將清除所有資料，且無法控制所有裝置。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>SystemSettingsDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>無法儲存設定。</translation>
    </message>
    <message>
        <source>All Devices</source>
        <translation>所有裝置</translation>
    </message>
    <message>
        <source>System</source>
        <translation>系統</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>安全性</translation>
    </message>
    <message>
        <source>Setup from Server:</source>
        <translation>由伺服器設定：</translation>
    </message>
    <message>
        <source>Multi user:</source>
        <translation>多使用者：</translation>
    </message>
    <message>
        <source>Enable guest user:</source>
        <translation>啟用訪客使用者：</translation>
    </message>
    <message>
        <source>Login with card:</source>
        <translation>卡片登入：</translation>
    </message>
    <message>
        <source>Password for creating card accounts</source>
        <translation>建立卡片帳戶的密碼</translation>
    </message>
    <message>
        <source>Admin password:</source>
        <translation>管理員密碼：</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>變更密碼</translation>
    </message>
    <message>
        <source>Bind admin card for login:</source>
        <translation>綁定管理員登入卡片：</translation>
    </message>
    <message>
        <source>Change Card</source>
        <translation>變更卡片</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>UserInfoDialog</name>
    <message>
        <source>The settings could not be saved.</source>
        <translation>無法儲存設定。</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Quorvin</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>The email addresses do not match.</source>
        <translation>兩次輸入的電子郵件地址不一致。</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>電子郵件：</translation>
    </message>
    <message>
        <source>Paswsord:</source>
        <translation>密碼：</translation>
    </message>
    <message>
        <source>Change Password</source>
        <translation>變更密碼</translation>
    </message>
    <message>
        <source>Data Management:</source>
        <translation>資料管理：</translation>
    </message>
    <message>
        <source>Backup</source>
        <translation>備份</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>還原</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>語言：</translation>
    </message>
    <message>
        <source>New Password:</source>
        <translation>新密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>System Language</source>
        <translation>系統語言</translation>
    </message>
    <message>
        <source>Invalid user Email.</source>
        <translation>使用者電子郵件無效。</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>兩次輸入的密碼不一致。</translation>
    </message>
    <message>
        <source>The database could not be backed up.</source>
        <translation>無法備份資料庫。</translation>
    </message>
    <message>
        <source>Save Directory</source>
        <translation>儲存位置</translation>
    </message>
    <message>
        <source>DB Files (*.db)</source>
        <translation>資料庫檔案 (*.db)</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>開啟檔案</translation>
    </message>
    <message>
        <source>This file is the database in use. Please choose a backup file.</source>
        <translation>此檔案是使用中的資料庫，請選擇備份檔案。</translation>
    </message>
    <message>
        <source>This file is not a database of this program. The current data is kept.</source>
        <translation>此檔案不是本程式的資料庫，目前的資料已保留。</translation>
    </message>
    <message>
        <source>This backup file is damaged and cannot be restored. The current data is kept.</source>
        <translation>此備份檔案已損毀，無法還原，目前的資料已保留。</translation>
    </message>
    <message>
        <source>The database could not be restored. The current data is kept.</source>
        <translation>無法還原資料庫，目前的資料已保留。</translation>
    </message>
    <message>
        <source>This file cannot be read. The current data is kept.</source>
        <translation>無法讀取此檔案，目前的資料已保留。</translation>
    </message>
    <message>
        <source>Backing up the database...</source>
        <translation>正在備份資料庫...</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the disk that holds %1 is full. Free space on that disk, or choose another, and try again.</source>
        <translation>無法備份資料庫，因為存放 %1 的磁碟已滿。請釋放該磁碟的空間，或選擇其他位置，然後再試一次。</translation>
    </message>
    <message>
        <source>The database could not be restored, because the disk that holds %1 is full. The current data is kept.</source>
        <translation>無法還原資料庫，因為存放 %1 的磁碟已滿。目前的資料已保留。</translation>
    </message>
    <message>
        <source>Restoring the database...</source>
        <translation>正在還原資料庫...</translation>
    </message>
    <message>
        <source>This file is the database in use. Please choose another file for the backup.</source>
        <translation>這個檔案是正在使用的資料庫。請為備份選擇其他檔案。</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the folder %1 does not exist.</source>
        <translation>無法備份資料庫，因為資料夾 %1 不存在。</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the folder %1 cannot be written. Please choose another folder.</source>
        <translation>無法備份資料庫，因為無法寫入資料夾 %1。請選擇其他資料夾。</translation>
    </message>
    <message>
        <source>The database could not be backed up, because another program is using it. Close that program and try again.</source>
        <translation>無法備份資料庫，因為另一個程式正在使用它。請關閉該程式，然後再試一次。</translation>
    </message>
    <message>
        <source>The database could not be restored, because another program is using it. Close that program and try again. The current data is kept.</source>
        <translation>無法還原資料庫，因為另一個程式正在使用它。請關閉該程式，然後再試一次。目前的資料已保留。</translation>
    </message>
    <message>
        <source>The database could not be backed up, because the name %1 holds characters this system cannot show. Choose a folder and a file name without them.</source>
        <translation>無法備份資料庫，因為名稱 %1 含有此系統無法顯示的字元。請選擇不含這些字元的資料夾與檔名。</translation>
    </message>
    <message>
        <source>This file cannot be read, because its name or the name of its folder holds characters this system cannot show. Rename it, or move it to another folder, and try again. The current data is kept.</source>
        <translation>無法讀取此檔案，因為它的名稱或其資料夾的名稱含有此系統無法顯示的字元。請將它重新命名或移到其他資料夾後再試一次。目前的資料已保留。</translation>
    </message>
    <message>
        <source>The backup cannot be read, because %1 beside it is not an ordinary file. Remove it, or choose another backup. The current data is kept.</source>
        <translation>無法讀取此備份，因為它旁邊的 %1 不是一般檔案。請將它移除，或選擇其他備份。目前的資料已保留。</translation>
    </message>
    <message>
        <source>The database could not be restored: copies of the backup and of the files beside it need %1 MB on the disk that holds %2, and only %3 MB are free. Free space on that disk and try again. The current data is kept.</source>
        <translation>無法還原資料庫：備份及其旁邊檔案的副本需要存放 %2 的磁碟上 %1 MB 的空間，但只剩 %3 MB 可用。請釋放該磁碟的空間後再試一次。目前的資料已保留。</translation>
    </message>
    <message>
        <source>Rows left out, as each repeated the number, device name, MAC address or group name of a row before it: %1</source>
        <translation>因與先前的資料列重複編號、裝置名稱、MAC 位址或群組名稱而略過的資料列：%1</translation>
    </message>
    <message>
        <source>The database was restored, but not all of it fit this program:
%1</source>
        <translation>資料庫已還原，但並非所有內容都適用於此程式：
%1</translation>
    </message>
    <message>
        <source>This backup holds a value larger than this program takes, and cannot be restored. The current data is kept.</source>
        <translation>此備份含有超出本程式所能接受長度的值，無法還原。目前的資料已保留。</translation>
    </message>
</context>
<context>
    <name>UserPasswordNewDialog</name>
    <message>
        <source>User Password:</source>
        <translation>使用者密碼：</translation>
    </message>
    <message>
        <source>Confirm Password:</source>
        <translation>確認密碼：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>兩次輸入的密碼不一致。</translation>
    </message>
</context>
<context>
    <name>UserPasswordRemoveConfirmDialog</name>
    <message>
        <source>Do you want to disable password?

This password will be deleted.</source>
        <translation>確定要停用密碼嗎？

此密碼將被刪除。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
</context>
<context>
    <name>UserRules</name>
    <message>
        <source>This user name has been occupied.</source>
        <translation>此使用者名稱已被使用。</translation>
    </message>
    <message>
        <source>The Password do not match.</source>
        <translation>兩次輸入的密碼不一致。</translation>
    </message>
    <message>
        <source>Name can not be empty.</source>
        <translation>名稱不可空白。</translation>
    </message>
    <message>
        <source>Password must contain at least 4 characters.</source>
        <translation>密碼至少需要 4 個字元。</translation>
    </message>
    <message>
        <source>The user accounts could not be read. Please try again.</source>
        <translation>無法讀取使用者帳戶，請再試一次。</translation>
    </message>
    <message>
        <source>The user could not be saved. Please try again.</source>
        <translation>無法儲存使用者，請再試一次。</translation>
    </message>
    <message>
        <source>The card could not be checked. Please tap it again.</source>
        <translation>無法檢查此卡片，請再次感應。</translation>
    </message>
    <message>
        <source>This card has been used by another account</source>
        <translation>此卡片已被其他帳戶使用</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The console is already running: its main window was brought forward.</source>
        <translation>主控台已在執行：已將它的主視窗移到最前面。</translation>
    </message>
    <message>
        <source>The console is already running, but it showed no main window: log in there, or end it and start it again.</source>
        <translation>主控台已在執行，但它沒有顯示主視窗：請在那裡登入，或將它結束後再重新啟動。</translation>
    </message>
</context>
</TS>
