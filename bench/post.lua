-- wrk script for one SOAP call: the envelope comes from the file named by
-- BENCH_BODY, the operation from BENCH_ACTION. With BENCH_REQUESTS set (run
-- it with one thread), the thread stops after that many answers and creates
-- the file named by BENCH_DONE; wrk itself runs on until its duration ends
-- or it is interrupted.
wrk.method = "POST"
local f = assert(io.open(os.getenv("BENCH_BODY"), "rb"))
wrk.body = f:read("*a")
f:close()
wrk.headers["Content-Type"] = "text/xml; charset=utf-8"
wrk.headers["SOAPAction"] = '"urn:VelmoraIntf-IVelmora#' .. os.getenv("BENCH_ACTION") .. '"'

local limit = tonumber(os.getenv("BENCH_REQUESTS") or "")
if limit then
  local answered = 0
  function response(status, headers, body)
    answered = answered + 1
    if answered == limit then
      wrk.thread:stop()
      local done = assert(io.open(os.getenv("BENCH_DONE"), "w"))
      done:write(answered, "\n")
      done:close()
    end
  end
end
