#include "config/display_type_catalogue.h"

#include "config/calibration_settings.h"
#include "config/store_values.h"

using namespace settings_keys;

DisplayTypeCatalogue::DisplayTypeCatalogue(RegistryStore& store) : store_(store)
{
}

bool DisplayTypeCatalogue::readCatalogueValue(const std::string& keyPath, const std::string& valueName,
                                              std::string& out) const
{
    auto key = store_.openKey(keyPath);
    if (!key)
        return true;
    return appendValueText(*key, valueName, out);
}

bool DisplayTypeCatalogue::readTableFileName(const std::string& typeName, const std::string& table,
                                             const std::string& valueName, std::string& out) const
{
    return readCatalogueValue(joinKeyPath(joinKeyPath(kDisplayTypes, typeName), table), valueName, out);
}

bool DisplayTypeCatalogue::readOsdNativeFileName(const std::string& typeName, const std::string& table,
                                                 const std::string& number, std::string& out) const
{
    return readTableFileName(typeName, table, number + "_OSD_NATIVE", out);
}

bool DisplayTypeCatalogue::readOsdD65FileName(const std::string& typeName, const std::string& table,
                                              const std::string& number, std::string& out) const
{
    return readTableFileName(typeName, table, number + "_OSD_D65", out);
}

bool DisplayTypeCatalogue::readTableDescription(const std::string& typeName, const std::string& table,
                                                std::string& out) const
{
    return readTableFileName(typeName, table, "description", out);
}

bool DisplayTypeCatalogue::readDisplayTypeDescription(const std::string& typeName, std::string& out) const
{
    return readCatalogueValue(joinKeyPath(kDisplayTypes, typeName), "description", out);
}

bool DisplayTypeCatalogue::readCatalogueDescription(std::string& out) const
{
    return readCatalogueValue(kDisplayTypes, "description", out);
}

void DisplayTypeCatalogue::fillDisplayTypeTree(const std::string& configuredDisplayType)
{
    std::shared_ptr<RegistryKey> displayTypes = store_.openKey(kDisplayTypes);
    if (!displayTypes)
        return;
    const std::uint32_t count = displayTypes->subKeyCount();
    displayTypeTree.configuredDisplayType = configuredDisplayType;
    if (count == 0)
        return;
    DisplayTypeNode root;
    root.name = "Display Type";
    root.hasChildren = true;
    root.key = displayTypes;
    fillNode(root);
    displayTypeTree.roots.push_back(std::move(root));
}

void DisplayTypeCatalogue::fillNode(DisplayTypeNode& node)
{
    const std::uint32_t count = node.key->subKeyCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!node.key->subKeyName(i, name))
            return;
        std::shared_ptr<RegistryKey> subKey = node.key->openSubKey(name);
        if (!subKey)
            return;
        DisplayTypeNode child;
        child.name = name;
        child.hasChildren = subKey->subKeyCount() != 0;
        child.key = subKey;
        fillNode(child);
        // The configured display type leads its siblings (exact, case-sensitive match).
        if (child.name == displayTypeTree.configuredDisplayType)
            node.children.insert(node.children.begin(), std::move(child));
        else
            node.children.push_back(std::move(child));
    }
}
