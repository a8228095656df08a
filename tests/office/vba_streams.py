# Every stream of a legacy workbook's VBA storage as hex, read with olefile:
# {"_VBA_PROJECT_CUR/VBA/dir": "...", ...}; {} when there is none.
import json, sys, olefile

book = olefile.OleFileIO(sys.argv[1])
streams = {}
for entry in book.listdir(streams=True, storages=False):
    if entry[0] == '_VBA_PROJECT_CUR':
        name = '/'.join(entry)
        streams[name] = book.openstream(name).read().hex()
print(json.dumps(streams))
