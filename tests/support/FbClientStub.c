/* A stand-in for the Firebird client library that has every function the
 * data layer's table looks up except isc_dsql_fetch. Only ever looked up,
 * never called. */
#define STUB(pName) \
  int pName(void) { return 0; }
STUB(isc_attach_database)
STUB(isc_database_info)
STUB(isc_detach_database)
STUB(isc_start_multiple)
STUB(isc_commit_transaction)
STUB(isc_rollback_transaction)
STUB(isc_dsql_allocate_statement)
STUB(isc_dsql_prepare)
STUB(isc_dsql_describe)
STUB(isc_dsql_execute)
STUB(isc_dsql_free_statement)
STUB(isc_open_blob2)
STUB(isc_get_segment)
STUB(isc_close_blob)
STUB(fb_cancel_operation)
STUB(fb_interpret)
STUB(fb_shutdown)
