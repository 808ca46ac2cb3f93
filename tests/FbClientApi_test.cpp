// The client library's function table: loaded only when first asked for,
// complete in the real library, and a clear error naming what is missing
// in a library that is not the client or lacks one of its functions.
#include "data/FbClientApi.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "data/FbClient.h"
#include "data/SQLConnection.h"

namespace {

bool FClientMapped() {
  std::ifstream vMaps("/proc/self/maps");
  std::stringstream vText;
  vText << vMaps.rdbuf();
  return vText.str().find("libfbclient") != std::string::npos;
}

std::string FLoadError(const std::string& pLibrary) {
  try {
    (void)data::FLoadClientApi(pLibrary);
  } catch (const data::EDatabaseError& e) {
    return e.what();
  }
  return "";
}

TEST(FbClientApi, LoadedOnFirstUseOnly) {
  EXPECT_FALSE(FClientMapped()) << "the client library is on the link line";
  const data::TFbClientApi& vApi = data::FClientApi();
  EXPECT_TRUE(FClientMapped());
  EXPECT_EQ(&data::FClientApi(), &vApi) << "loaded once";
}

TEST(FbClientApi, RealLibraryHasEveryFunction) {
  const auto vApi = data::FLoadClientApi(data::cFbClientLibrary);
  const void* const vSlots[] = {
      reinterpret_cast<const void*>(vApi->isc_attach_database),
      reinterpret_cast<const void*>(vApi->isc_database_info),
      reinterpret_cast<const void*>(vApi->isc_detach_database),
      reinterpret_cast<const void*>(vApi->isc_start_multiple),
      reinterpret_cast<const void*>(vApi->isc_commit_transaction),
      reinterpret_cast<const void*>(vApi->isc_rollback_transaction),
      reinterpret_cast<const void*>(vApi->isc_dsql_allocate_statement),
      reinterpret_cast<const void*>(vApi->isc_dsql_prepare),
      reinterpret_cast<const void*>(vApi->isc_dsql_describe),
      reinterpret_cast<const void*>(vApi->isc_dsql_execute),
      reinterpret_cast<const void*>(vApi->isc_dsql_fetch),
      reinterpret_cast<const void*>(vApi->isc_dsql_free_statement),
      reinterpret_cast<const void*>(vApi->isc_open_blob2),
      reinterpret_cast<const void*>(vApi->isc_get_segment),
      reinterpret_cast<const void*>(vApi->isc_close_blob),
      reinterpret_cast<const void*>(vApi->fb_cancel_operation),
      reinterpret_cast<const void*>(vApi->fb_interpret),
      reinterpret_cast<const void*>(vApi->fb_shutdown),
  };
  static_assert(sizeof vSlots / sizeof vSlots[0] == sizeof(data::TFbClientApi) / sizeof(void*),
                "every slot of the table is checked");
  for (const void* vSlot : vSlots) EXPECT_NE(vSlot, nullptr);
}

TEST(FbClientApi, MissingLibraryOrFunctionIsNamed) {
  struct {
    std::string vLibrary;
    std::string vError;
  } const cCases[] = {
      {"libvelmora-no-such-library.so", "Firebird client library libvelmora-no-such-library.so could not be loaded"},
      // A real library, but not the client: the table's first function.
      {"libc.so.6", "Firebird client library libc.so.6 lacks the function isc_attach_database"},
      // Everything but one function in the middle of the table.
      {VELMORA_FBCLIENT_STUB, std::string("Firebird client library ") + VELMORA_FBCLIENT_STUB +
                                  " lacks the function isc_dsql_fetch"},
  };
  for (const auto& c : cCases) EXPECT_EQ(FLoadError(c.vLibrary), c.vError) << c.vLibrary;
}

// Which databases the embedded engine opens: only those make the process
// run the client's teardown at its end.
TEST(FbClientApi, EmbeddedOrThroughAServer) {
  const struct {
    const char* vDatabase;
    bool vEmbedded;
  } cCases[] = {
      {"/srv/store/demo.fdb", true},         {"/srv/odd:name.fdb", true},
      {"employee", true},                    {"loja:/srv/store/demo.fdb", false},
      {"127.0.0.1/3051:/srv/store/demo.fdb", false}, {"localhost:employee", false},
      {"inet://loja/srv/store/demo.fdb", false},
  };
  for (const auto& c : cCases) EXPECT_EQ(data::FIsEmbeddedDatabase(c.vDatabase), c.vEmbedded) << c.vDatabase;
}

}  // namespace
