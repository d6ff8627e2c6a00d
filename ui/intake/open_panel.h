#pragma once
// The platform's open panel for a package, through Qt Widgets: the native
// panel on macOS, where an application bundle is one item, chosen and not
// browsed into. Elsewhere a bundle is a plain folder, which Qt's own panel
// would browse into; entering one chooses it instead.

#include "ui/intake/package_opener.h"

class OpenPanelChooser : public PackageChooser {
public:
    std::optional<QUrl> choosePackage() override;
};
