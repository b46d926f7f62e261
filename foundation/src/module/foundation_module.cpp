#include "module/foundation_module.h"

#include "error/foundation_describer.h"

namespace Basalt::Base::detail {
namespace {

int AcceptEverything(tagModuleInfo*, int, int, void*, int) { return 0; }

const tagModuleHookEntry kHooks[] = {
    {0, Error::detail::DescribeFoundationError},
    {1, AcceptEverything},
    {-1, nullptr},
};

tagModuleInfo g_module = {u"Kx2Mod.Basalt.Main", u"BasaltRes", nullptr, nullptr, 0, 0, kHooks};

}  // namespace

tagModuleInfo& FoundationModule() { return g_module; }

}  // namespace Basalt::Base::detail
