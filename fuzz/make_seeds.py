#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/seed-*).

The seeds are checked in; run this again after changing it. Files in regressions/ are inputs that
made a target fail once: they are kept by hand, not written here. Answers and requests come from
docs/protocol.md and the tests (tests/server, tests/unit); the maintenance answers have the shape
the data layer reads (CLS_RemoteDBHandlerMaintenance.cpp).
"""
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def compact(obj):
    return json.dumps(obj, separators=(",", ":"), ensure_ascii=False)


# ---- fuzz_answer_decoding: byte 0 = operation, then the answer ----
OPS = {
    "ExecuteQuery": 0, "ExecuteQueryEx": 1, "Execute": 2, "ExecuteTransactionEx": 3,
    "PartitionExecuteQuery": 4, "PartitionGetTables": 5, "DownLoadDB": 6, "UploadDB": 7,
    "BackupDatabase": 8, "RestoreDatabase": 9, "GetAllNetworkInfo": 10, "GetSystemStatusByName": 11,
}


def answer(name, op, text):
    write("fuzz_answer_decoding", name, bytes([OPS[op]]) + text.encode("utf-8"))


answer("query-protocol-example", "ExecuteQueryEx",
       '{"result":"OK","data":{"ret":[{"record":[{"key":"S_ID","value":"1"},{"key":"I_TYPE","value":"3"}]}]}}')
answer("query-empty", "ExecuteQuery", '{"result":"OK","data":{"ret":[]}}')
answer("query-mixed-values", "ExecuteQueryEx",
       '{"result":"OK","data":{"ret":[\n'
       '  {"record":[{"key":"S_ID","value":"1"},{"key":"I_TYPE","value":"3"}]},\n'
       '  {"record":[{"key":"N","value":5},{"key":"B","value":true},{"key":"Z","value":null},'
       '{"key":"S","value":"a"},{"key":"S","value":"b"}]},\n'
       '  {"norecord":1},\n'
       '  {"record":[{"key":"U","value":"\\u00e9\\u4e2d\\n\\"q\\""}]}]}}')
answer("query-reals", "ExecuteQuery",
       '{"result":"OK","data":{"ret":[{"record":[{"key":"a","value":"0.1"},{"key":"b",'
       '"value":"0.30000000000000004"},{"key":"c","value":"1e+16"},{"key":"d","value":"Inf"},'
       '{"key":"e","value":"9.223372036854776e+18"}]}]}}')
answer("query-error", "ExecuteQuery",
       '{"result":"ERROR","reason":"no such table: T","code":"sql","sqliteCode":1}')
answer("query-partition", "PartitionExecuteQuery",
       '{"result":"OK","data":{"ret":[{"record":[{"key":"S_ID","value":"7"},'
       '{"key":"S_TIME","value":"2024-01-05 10:00:00"}]}]}}')
answer("ok-empty-data", "Execute", '{"result":"OK","data":{}}')
answer("ok-no-data", "Execute", '{"result":"OK"}')
answer("ret-nineteen", "Execute", '{"result":"OK","data":{"ret":19}}')
answer("ret-not-a-number", "Execute", '{"result":"OK","data":{"ret":"x"}}')
answer("lower-case-ok", "Execute", '{"result":"ok","data":{"ret":0}}')
answer("no-result", "Execute", '{"data":{"ret":0}}')
answer("not-json", "Execute", "<html>")
answer("array-top", "ExecuteQuery", "[1,2]")
answer("empty", "ExecuteQuery", "")
answer("transaction-failed", "ExecuteTransactionEx",
       '{"result":"ERROR","reason":"UNIQUE constraint failed: T.A","code":"sql","sqliteCode":2067,'
       '"failedStatement":1}')
answer("transaction-commit-failed", "ExecuteTransactionEx",
       '{"result":"ERROR","reason":"COMMIT failed: FOREIGN KEY constraint failed","code":"sql",'
       '"sqliteCode":787}')
answer("partition-tables", "PartitionGetTables", '{"result":"OK","data":{"tables":["T202401","T202402"]}}')
answer("download", "DownLoadDB",
       '{"result":"OK","data":{"ret":0,"DbData":[{"key":"Tessel","value":"U1FMaXRlIGZvcm1hdCAz"},'
       '{"key":"Tessel-record","value":""}]}}')
answer("upload", "UploadDB",
       '{"result":"OK","data":{"ret":[{"key":"Tessel","value":0},{"key":"Tessel-record","value":-1}]}}')
answer("backup", "BackupDatabase",
       '{"result":"OK","data":{"backupResult":[{"dbName":"Tessel","ret":true},'
       '{"dbName":"Tessel-record","ret":false}]}}')
answer("restore", "RestoreDatabase",
       '{"result":"OK","data":{"restoreResult":[{"dbName":"Tessel","ret":true},{"dbName":"","ret":false}]}}')
answer("busy", "RestoreDatabase",
       '{"result":"ERROR","reason":"the database is being restored","code":"busy"}')
answer("network", "GetAllNetworkInfo",
       '{"result":"OK","data":{"ret":0,"netInfo":[{"Ifrname":"eth0","Ipv4Addr":"192.0.2.10",'
       '"Ipv4Mask":"255.255.255.0","Ipv4Gateway":"192.0.2.1","mac":"02:00:00:00:00:01","mtu":1500,'
       '"connectState":1,"firstDns":"192.0.2.53","DHCPStatus":false}]}}')
answer("system-status", "GetSystemStatusByName",
       '{"result":"OK","data":{"ret":0,"Ifrname":"eth0","Ipv4Addr":"192.0.2.10","mtu":"1500",'
       '"status":[{"MemUsage":41.5,"CpuUsage":12.25,"RxByte":1024,"TxByte":2048,'
       '"dateTime":"2024-01-01 12:00:00"},{"MemUsage":"x","RxByte":1e10}]}}')

answer("lone-high-surrogate", "ExecuteQuery",
       '{"result":"OK","data":{"ret":[{"record":[{"key":"S","value":"\\ud800x"}]}]}}')
answer("surrogate-pair", "ExecuteQueryEx",
       '{"result":"OK","data":{"ret":[{"record":[{"key":"S","value":"\\ud83d\\ude00"}]},{}]}}')
answer("qt-tolerates", "ExecuteQuery", '{"result":"OK","data":{"ret":[{"record":[{"key":"a\x11","value":.5}]}]}}')

# ---- fuzz_decode_password: any bytes ----
for name, data in [
    ("abc", b"abc"),
    ("stored-abc", "#]_#]~#;~".encode()),
    ("spaces", b"p@ss w0rd!"),
    ("latin1", b"\xe9\xff\x01x"),
    ("max-password", b"z" * 1023),
    ("too-long-password", b"z" * 1024),
    ("max-stored", b"#" * 3069),
    ("bad-length", b"#]_#"),
    ("outside-table", b"xxx"),
]:
    write("fuzz_decode_password", name, data)

# ---- fuzz_server_dispatch ----
# byte 0 >= 0x20: the whole frame; byte 0 < 0x20: request kind (REQUESTS, as kRequests in
# fuzz_server_dispatch.cpp), then the body.
REQUESTS = [
    ("Execute", False, False), ("ExecuteEx", False, False), ("ExecuteQuery", False, False),
    ("ExecuteQueryEx", False, False), ("ExecuteTransaction", False, False),
    ("ExecuteTransactionEx", False, False), ("Broadcast", False, False),
    ("PartitionExecute", False, False), ("PartitionExecuteEx", False, False),
    ("PartitionExecuteQuery", False, False), ("PartitionExecuteQueryEx", False, False),
    ("PartitionExecuteTransaction", False, False), ("PartitionExecuteTransactionEx", False, False),
    ("PartitionGetTables", False, False), ("DownLoadDB", False, False), ("UploadDB", False, False),
    ("BackupDatabase", False, False), ("RestoreDatabase", False, False),
    ("GetAllNetworkInfo", False, False), ("GetSystemStatusByName", False, False),
    ("NoSuchCommand", False, False), ("Broadcast", True, False), ("ExecuteQueryEx", False, True),
]


def frame(name, text):
    write("fuzz_server_dispatch", name, text)


def body(name, command, obj, remote=False, crlf=False):
    kind = REQUESTS.index((command, remote, crlf))
    write("fuzz_server_dispatch", name, bytes([kind]) + compact(obj).encode("utf-8"))


def tiny_database():
    """A valid SQLite file of two 512-byte pages holding one table, as Base64."""
    import base64
    import sqlite3
    import tempfile
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "t.db")
        db = sqlite3.connect(path)
        db.execute("PRAGMA page_size=512")
        db.execute("CREATE TABLE T (A INTEGER PRIMARY KEY, B TEXT)")
        db.execute("INSERT INTO T (B) VALUES ('uploaded')")
        db.commit()
        db.close()
        with open(path, "rb") as f:
            return base64.b64encode(f.read()).decode()


frame("protocol-example",
      '17 ExecuteQueryEx\n{"DbName":"Tessel","sqlexec":"SELECT S_ID, I_TYPE FROM TAB_CACHE_EVENT WHERE '
      'S_DATA = :data","bindValue":{":data":"abc"}}')
frame("query-objects",
      '17 ExecuteQueryEx\n{"DbName":"Tessel","sqlexec":"SELECT S_ID, S_CAPTION FROM TAB_OBJ WHERE '
      'S_CAPTION = :name","bindValue":{":name":"seed"}}')
frame("execute", '18 Execute\n{"DbName":"Tessel","sqlexec":"UPDATE TAB_OBJ SET I_VISIBLE = 1",'
      '"isBroadcast":false}')
frame("query-nothing", '19 ExecuteQuery\n{"DbName":"Tessel","sqlexec":"SELECT 1 WHERE 0"}')
frame("broadcast", '1 Broadcast\n{"text":"camera 4 offline"}')
frame("bad-name", '17 Bad-Name\n{}')
frame("id-zero", '0 Execute\n{"DbName":"Tessel","sqlexec":"SELECT 1"}')
frame("id-too-large", '9223372036854775808 Execute\n{}')
frame("no-body", '5 Execute')
frame("crlf", '6 ExecuteQuery\r\n{"DbName":"Tessel-record","sqlexec":"SELECT count(*) FROM sqlite_schema"}')
frame("not-json", '7 Execute\n{"DbName":"Tessel",')
frame("array-body", '7 Execute\n[1,2]')
frame("unknown-db", '7 Execute\n{"DbName":"../x","sqlexec":"SELECT 1"}')
frame("download", '8 DownLoadDB\n{}')

body("execute-ex-binds", "ExecuteEx",
     {"DbName": "Tessel", "isBroadcast": True,
      "sqlexec": "INSERT INTO TAB_OBJ (S_ID, S_CAPTION, I_OBJ_TYPE_ID) VALUES (:id, :name, @n)",
      "bindValue": {":id": "3", ":name": "three", "@n": 33}})
body("bind-kinds", "ExecuteQueryEx",
     {"DbName": "Tessel", "sqlexec": "SELECT typeof(:i), :i, :r, $t, @b, :z, :a, :o, ?1",
      "bindValue": {":i": 9223372036854775807, ":r": 1.5, "$t": "text", "@b": True, ":z": None,
                    ":a": [1, "x"], ":o": {"k": "v"}, "?1": -9223372036854775808}})
body("reals", "ExecuteQuery",
     {"DbName": "Tessel-intelligent",
      "sqlexec": "SELECT 0.1, 0.1 + 0.2, 3.0, 1e16, 9.223372036854776e18, 1e308 * 10, -1e308 * 10, "
                 "x'00ff', zeroblob(3), NULL, 'a\"b\\\\c' || char(10, 9, 1)"})
body("several-statements", "ExecuteQuery",
     {"DbName": "Tessel-passengerFlow",
      "sqlexec": "CREATE TABLE IF NOT EXISTS F (A INTEGER PRIMARY KEY, B); INSERT INTO F (B) VALUES "
                 "(x'0102'); SELECT A, B FROM F ORDER BY A DESC LIMIT 3"})
body("recursive", "ExecuteQuery",
     {"DbName": "Tessel",
      "sqlexec": "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50) "
                 "SELECT x, printf('%08d', x) FROM c"})
body("lone-begin", "Execute", {"DbName": "Tessel", "sqlexec": "BEGIN"})
body("savepoint", "Execute", {"DbName": "Tessel", "sqlexec": "SAVEPOINT a; RELEASE a"})
body("transaction", "ExecuteTransaction",
     {"DbName": "Tessel-record",
      "sqlexec": ["CREATE TABLE IF NOT EXISTS R (ID INTEGER PRIMARY KEY, V TEXT)",
                  "INSERT INTO R (V) VALUES ('four')", "BEGIN", "UPDATE R SET V = 'x' WHERE ID = 1",
                  "COMMIT"]})
body("transaction-rollback", "ExecuteTransaction",
     {"DbName": "Tessel", "sqlexec": ["SELECT 1", "ROLLBACK"]})
body("transaction-ex", "ExecuteTransactionEx",
     {"DbName": "Tessel",
      "sqlexec": ["INSERT INTO TAB_OBJ (S_ID, S_CAPTION) VALUES (:id, :name)",
                  "UPDATE TAB_OBJ SET I_OBJ_TYPE_ID = $n WHERE S_ID = :id"],
      "bindValues": [{"bindValue": {":id": "5", ":name": "five"}}, {"bindValue": {":id": "5", "$n": 55}}]})
body("transaction-ex-mismatch", "ExecuteQueryEx",
     {"DbName": "Tessel", "sqlexec": "SELECT :a", "bindValue": {":a": 1}}, crlf=True)
body("broadcast-loopback", "Broadcast", {"text": "Restore database complete."})
body("broadcast-remote", "Broadcast", {"text": "x"}, remote=True)
body("unknown-command", "NoSuchCommand", {})
body("missing-members", "ExecuteEx", {"DbName": "Tessel", "sqlexec": "SELECT 1"})
body("view", "ExecuteQuery", {"DbName": "Tessel", "sqlexec": "SELECT * FROM VIEW_USER LIMIT 5"})
body("duplicate-columns", "ExecuteQuery",
     {"DbName": "Tessel", "sqlexec": "SELECT 1 AS a, 2 AS a, NULL AS \"\", 'é中' AS \"é\""})

# Partitioned tables (docs/protocol.md "Partitioned tables").
body("partition-template", "Execute",
     {"DbName": "Tessel",
      "sqlexec": "CREATE TABLE IF NOT EXISTS TAB_EVENT (S_ID INTEGER PRIMARY KEY, S_TIME TEXT, I_TYPE INTEGER); "
                 "CREATE INDEX IF NOT EXISTS IDX_EVENT_TIME ON TAB_EVENT (S_TIME)"})
body("partition-execute", "PartitionExecute",
     {"DbName": "Tessel", "sqlexec": "INSERT INTO TAB_EVENT (S_TIME, I_TYPE) VALUES ('2024-01-05', 1)",
      "tableName": "TAB_EVENT", "suffix": "202401", "isBroadcast": False})
body("partition-execute-ex", "PartitionExecuteEx",
     {"DbName": "Tessel", "sqlexec": "UPDATE \"TAB_EVENT\" SET I_TYPE = :n WHERE TAB_EVENT.S_ID = :id",
      "tableName": "TAB_EVENT", "suffix": "-02", "bindValue": {":n": 2, ":id": 1}, "isBroadcast": False})
body("partition-query", "PartitionExecuteQuery",
     {"DbName": "Tessel", "sqlexec": "SELECT S_ID, S_TIME FROM TAB_EVENT ORDER BY S_ID DESC", "where": "",
      "tableName": "TAB_EVENT", "startSuffix": "202401", "endSuffix": "202412", "startNum": 0,
      "pageSize": 20, "order": "DESC"})
body("partition-query-ex", "PartitionExecuteQueryEx",
     {"DbName": "Tessel", "sqlexec": "SELECT * FROM TAB_EVENT WHERE I_TYPE = :t LIMIT 5", "where": "",
      "tableName": "TAB_EVENT", "startSuffix": "", "endSuffix": "", "startNum": 3, "pageSize": -1,
      "order": "ASC", "bindValue": {":t": 1}})
body("partition-transaction", "PartitionExecuteTransaction",
     {"DbName": "Tessel", "tableName": "TAB_EVENT",
      "sqlexec": [{"key": "202402", "value": ["INSERT INTO TAB_EVENT (S_TIME) VALUES ('a')"]},
                  {"key": "202403", "value": ["INSERT INTO TAB_EVENT (S_TIME) VALUES ('b')",
                                              "DELETE FROM TAB_EVENT WHERE S_ID < 0"]}]})
body("partition-transaction-ex", "PartitionExecuteTransactionEx",
     {"DbName": "Tessel", "tableName": "TAB_EVENT",
      "sqlArray": [{"endSuffix": "202404", "sqlQueryArray": [
          {"sqlQuery": "INSERT INTO TAB_EVENT (S_TIME, I_TYPE) VALUES (:t, :n)", "bindValue": {":t": "x", ":n": 1}},
          {"sqlQuery": "SELECT 1"}]}]})
body("partition-tables", "PartitionGetTables",
     {"DbName": "Tessel", "tableName": "TAB_EVENT", "startSuffix": "", "endSuffix": ""})

# Maintenance (docs/protocol.md "Maintenance commands"); the fuzzer's backup folder is its own.
body("upload", "UploadDB",
     {"DbData": {"Tessel-intelligent": tiny_database(), "Tessel-record": "U1FMaXRlIGZvcm1hdCAzAA==",
                 "Other": "x", "Tessel-passengerFlow": "not base64!"}})
body("backup", "BackupDatabase", {"filePath": "nightly", "dbArray": ["Tessel", "Tessel-record", "Other"]})
body("restore", "RestoreDatabase", {"filePath": "nightly", "timeout": 3, "dbArray": ["Tessel-record"]})
body("restore-default", "RestoreDatabase",
     {"filePath": "", "RestoreDefault": True, "timeout": 3, "dbArray": ["Tessel-passengerFlow"]})
body("restore-outside", "RestoreDatabase", {"filePath": "/etc", "timeout": 3, "dbArray": ["Tessel"]})
body("network", "GetAllNetworkInfo", {})
body("system-status", "GetSystemStatusByName", {"name": "lo"})

# ---- fuzz_picture_attribute: byte 0 even = an image file, odd = the attribute text ----
def png_with_text(key, text):
    import struct
    import zlib

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0)  # 2x2 RGB, 8 bits
    pixels = zlib.compress(b"\x00" + b"\x10\x20\x30" * 2 + b"\x00" + b"\x40\x50\x60" * 2)
    text_chunk = chunk(b"tEXt", key.encode("latin-1") + b"\x00" + text.encode("latin-1")) if key else b""
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + text_chunk + chunk(b"IDAT", pixels) + chunk(b"IEND", b"")


CAR = compact({"Vlp": "A12345", "Vlpc": "1", "PassTime": "2024-02-03 04:05:06", "SN": "sn9", "Terminalname": "gate"})
BEHAVIOUR = compact({"DevId": "d1", "Type": 7, "FileSize": 5000000000, "SnapTimeStamp": "2024-01-02 03:04:05", "Seq": 2})
WAY = compact({"VLP": "W1", "passtime": "2024-04-05 06:07:08", "lane": 2, "runingdirection": "N"})
write("fuzz_picture_attribute", "png-car", b"\x00" + png_with_text("attribute", CAR))
write("fuzz_picture_attribute", "png-no-text", b"\x00" + png_with_text(None, ""))
write("fuzz_picture_attribute", "png-not-json", b"\x00" + png_with_text("attribute", "Vlp=A1"))
write("fuzz_picture_attribute", "png-other-key", b"\x00" + png_with_text("Comment", CAR))
write("fuzz_picture_attribute", "text-behaviour", "\x01" + BEHAVIOUR)
write("fuzz_picture_attribute", "text-way", "\x01" + WAY)
write("fuzz_picture_attribute", "text-pad", "\x01" + compact({"UserCode": "u1", "Passtime": "x", "TerminalSN": "p"}))
write("fuzz_picture_attribute", "text-array", "\x01[1,2]")
write("fuzz_picture_attribute", "text-empty-object", "\x01{}")

print("seeds written to", os.path.join(HERE, "corpus"), file=sys.stderr)
