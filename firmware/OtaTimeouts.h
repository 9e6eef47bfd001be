#pragma once

/// Every time-out of the update manager and its downloader, with the production values as defaults. Tests
/// shorten them through IFPUpgradeManager::setTimeouts(); the transfer time-outs are asked for by the command
/// server and stay its own.
struct OtaTimeouts
{
    int otaStateAnswerMs = 5000;            ///< a device's answer to the OTA-state check
    int wakeMs = 600000;                    ///< an offline device to connect after Wake-on-LAN
    int installResultMs = 600000;           ///< the installation result of an OS or box package
    int installResultWithImageMs = 1200000; ///< the same when the panel image is installed with it
    /// A step whose device came back at its version before its result: how long its next step waits for that
    /// result, which is the step's own. A firmware that reports once it has booted sends it within seconds of its
    /// connection; a result lost for good costs the step no more than this.
    int lateResultMs = 15000;
    int downloadStallMs = 60000; ///< a download that receives less than 64 KiB in this long fails its attempt
    /// A server check ends, as failed for every family that has not answered, after this long. Ten downloads
    /// of three attempts each against a server that stalls or drips take half an hour.
    int serverCheckMs = 900000;
};
