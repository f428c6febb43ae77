#include "support/store_backends.h"

std::vector<std::string> storeBackendNames()
{
    return {"file"};
}

std::unique_ptr<StoreBackend> makeStoreBackend(const std::string&)
{
    return std::make_unique<FileStoreBackend>();
}
