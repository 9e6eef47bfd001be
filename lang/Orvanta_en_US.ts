<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CustomLineEditText</name>
    <message>
        <source>User Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Orvanta</name>
    <message>
        <source>Invalid user password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid user Email.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The email addresses do not match.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please get the password from Velk support.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If you want to get the new password from Email, please click OK to continue.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sending of email failed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orvanta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Admin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal User</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid user password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Confirm Your Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forgot Password?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SendMailDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The new password has been sent to your email address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The database could not be opened.
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
