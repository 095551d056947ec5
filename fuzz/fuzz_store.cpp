// Feeds arbitrary bytes to the registry store parser. Whatever parses must
// write back to text that parses to the same store, and writing that again
// must give the same text.
#include "platform/portable/RegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CRegistryStore store;
    if (!store.Parse(text))
        return 0;
    std::string once = store.Serialize();
    CRegistryStore again;
    if (!again.Parse(once))
        std::abort();
    if (again.Serialize() != once)
        std::abort();
    // A change goes through the writer's own formatting.
    again.SetValue("HKEY_CURRENT_USER\\Software\\Fuzz", "Value", 7, text.substr(0, 300));
    CRegistryStore third;
    if (!third.Parse(again.Serialize()))
        std::abort();
    const RegistryValue* v = third.FindValue("HKEY_CURRENT_USER\\Software\\Fuzz", "Value");
    if (!v || v->data != text.substr(0, 300) || v->type != 7)
        std::abort();
    return 0;
}
