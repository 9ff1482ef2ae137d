-- wrk script: POST /score/index.php with 40 score lines per request, as the tool uploads
-- them. Class and student names come from the class record file saved in RECORD_FILE
-- (GBK bytes); every request carries new times, so every request stores 40 new rows.
local record_file = os.getenv("RECORD_FILE")
local account = os.getenv("BENCH_ACCOUNT") or "bench"
local pairs_list = {}
local counter = 0
local started = 0
-- Runs of wrk side by side (one per server process) upload times of their own.
local offset = tonumber(os.getenv("BENCH_OFFSET") or "0")

local function escape(s)
  return (s:gsub("[^%w_%-%.]", function(c) return string.format("%%%02X", string.byte(c)) end))
end

-- Each thread gets its own number as the global thread_no (a local of that name would hide
-- it, and every thread would upload the same lines).
function setup(thread)
  started = started + 1
  thread:set("thread_no", started)
end

function init(args)
  local f = assert(io.open(record_file, "rb"))
  local text = f:read("*a")
  f:close()
  for line in text:gmatch("([^\r\n]+)") do
    local fields = {}
    for field in (line .. "\t"):gmatch("([^\t]*)\t") do fields[#fields + 1] = field end
    if #fields == 6 and line:sub(1, 6) ~= "[keti]" then
      pairs_list[#pairs_list + 1] = escape(fields[1]) .. "%09" .. escape(fields[2])
    end
  end
  assert(#pairs_list >= 40, "no students in " .. record_file)
end

request = function()
  counter = counter + 1
  local base = 1772672400 + offset + (thread_no or 0) * 100000000 + counter * 40
  local lines = {}
  for i = 1, 40 do
    local who = pairs_list[((counter * 40 + i) % #pairs_list) + 1]
    local when = os.date("!%Y-%m-%d %H:%M:%S", base + i)
    lines[i] = who .. "%09" .. (i % 6) .. "%B7%D6%09" .. escape(when) .. "%09"
  end
  local body = "username=" .. account .. "&password=" .. account ..
               "&keti=%BF%CE%CC%C3%CC%E1%CE%CA&score=" .. table.concat(lines, "|")
  return wrk.format("POST", "/score/index.php",
                    { ["Content-Type"] = "application/x-www-form-urlencoded" }, body)
end

local refused = 0
response = function(status, headers, body)
  if status ~= 200 or body ~= "Success!" then refused = refused + 1 end
end

done = function(summary, latency, requests)
  io.write(string.format("upload replies other than Success!: %d\n", refused))
end
