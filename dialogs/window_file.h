#pragma once

#include <QString>

// Implemented by the windows whose file a project's saved layout records
// (scope, work list, download list): the main window asks the window object
// for the file it shows when it saves the layout. Empty: no file.
class IWindowFileName {
public:
    virtual ~IWindowFileName() = default;
    virtual QString WindowFileName() const = 0;
};
