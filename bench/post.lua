-- wrk script for one SOAP call: the envelope comes from the file named by
-- BENCH_BODY, the operation from BENCH_ACTION.
wrk.method = "POST"
local f = assert(io.open(os.getenv("BENCH_BODY"), "rb"))
wrk.body = f:read("*a")
f:close()
wrk.headers["Content-Type"] = "text/xml; charset=utf-8"
wrk.headers["SOAPAction"] = '"urn:VelmoraIntf-IVelmora#' .. os.getenv("BENCH_ACTION") .. '"'
