#pragma once

// Severity of a log line; a logger writes the lines whose level is at or below its own.
enum LogLevel
{
    LOG_LEVEL_FATAL = 1,
    LOG_LEVEL_ERROR = 2,
    LOG_LEVEL_WARNING = 3,
    LOG_LEVEL_INFO = 4,
    LOG_LEVEL_DEBUG = 5
};
