<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
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
    <name>main</name>
    <message>
        <source>The database could not be opened.
%1</source>
        <translation>無法開啟資料庫。
%1</translation>
    </message>
</context>
</TS>
