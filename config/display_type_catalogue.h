#pragma once

// The catalogue of installed 3D colour tables and OSD images below "ColorTable\Display
// Type": display types, their table sets, and the file names and descriptions each holds.
// Only the download tool reads it.

#include "config/registry_store.h"

#include <memory>
#include <string>
#include <vector>

// One node of the display-type tree: a sub-key of "ColorTable\Display Type" or deeper.
struct DisplayTypeNode {
    std::string name;
    bool hasChildren = false;
    std::shared_ptr<RegistryKey> key;
    std::vector<DisplayTypeNode> children;
};

struct DisplayTypeTree {
    std::string configuredDisplayType;
    std::vector<DisplayTypeNode> roots; // empty, or the one root "Display Type"
};

class DisplayTypeCatalogue {
public:
    explicit DisplayTypeCatalogue(RegistryStore& store);

    // Catalogue readers: append the value to `out`. False only when the key opened and
    // the value could not be read; a key that does not open leaves `out` unchanged.
    [[nodiscard]] bool readTableFileName(const std::string& typeName, const std::string& table,
                                         const std::string& valueName, std::string& out) const;
    [[nodiscard]] bool readOsdNativeFileName(const std::string& typeName, const std::string& table,
                                             const std::string& number, std::string& out) const;
    [[nodiscard]] bool readOsdD65FileName(const std::string& typeName, const std::string& table,
                                          const std::string& number, std::string& out) const;
    bool readTableDescription(const std::string& typeName, const std::string& table, std::string& out) const;
    bool readDisplayTypeDescription(const std::string& typeName, std::string& out) const;
    bool readCatalogueDescription(std::string& out) const;

    // Builds the display-type tree, with the configured display type first among its siblings.
    void fillDisplayTypeTree(const std::string& configuredDisplayType);

    DisplayTypeTree displayTypeTree;

private:
    [[nodiscard]] bool readCatalogueValue(const std::string& keyPath, const std::string& valueName,
                                          std::string& out) const;
    void fillNode(DisplayTypeNode& node);

    RegistryStore& store_;
};
