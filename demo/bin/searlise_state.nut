// The remote debugger's serializer: called at every break with the debug
// root as `this`, it writes the call stack inside the "break" element.
// Layout (each element closes itself when it has no children):
//   <calls>
//     <call fnc="name" src="file" line="12">     innermost first
//       <l name="x" type="integer" val="3"/>      one per local
//       <l name="t" type="table">                 tables, arrays, instances
//         <l name="key" type="..." val="..."/>    to three levels, once each
//       </l>
//       <w id="1" exp="a + b" type="integer" val="5"/>   watches, each frame
//       <w id="2" exp="nope" error="the index 'nope' does not exist"/>
//     </call>
//   </calls>
// Its own frames and the debugger's hook or error handler are skipped.
local kMaxDepth = 3;
local dbg = this;

local function Text(value)
{
    switch (typeof value)
    {
    case "string": return value;
    case "integer": case "float": case "bool": return value.tostring();
    case "null": return "null";
    }
    return typeof value;
}

local function Opens(value)
{
    local type = typeof value;
    return type == "table" || type == "array" || type == "instance";
}

local Write = null;
Write = function(name, value, depth, seen)
{
    dbg.beginelement("l");
    dbg.attribute("name", name.tostring());
    dbg.attribute("type", typeof value);
    if (!Opens(value))
        dbg.attribute("val", Text(value));
    else if (depth < kMaxDepth && !(value in seen))
    {
        seen[value] <- true;
        // an instance is walked through its class's members, each read back from the instance
        if (type(value) == "instance")
            foreach (key, member in value.getclass())
                Write(key, value[key], depth + 1, seen);
        else
            foreach (key, item in value)
                Write(key, item, depth + 1, seen);
    }
    dbg.endelement("l");
}

local function WriteWatches(locals)
{
    foreach (id, expression in dbg.watches)
    {
        dbg.beginelement("w");
        dbg.attribute("id", id.tostring());
        dbg.attribute("exp", expression);
        try
        {
            local value = compilestring("return (" + expression + ")", "watch").call(locals);
            dbg.attribute("type", typeof value);
            dbg.attribute("val", Text(value));
        }
        catch (error)
        {
            dbg.attribute("error", Text(error));
        }
        dbg.endelement("w");
    }
}

local level = 1;
local first = null;
for (local info = getstackinfos(level); info != null; info = getstackinfos(++level))
{
    if (info.func == "_sqdbg_debug_hook_" || info.func == "_sqdbg_error_handler_")
    {
        first = level + 1;
        break;
    }
}
if (first == null)
    first = 2;

dbg.beginelement("calls");
for (local info = getstackinfos(first); info != null; info = getstackinfos(++first))
{
    dbg.beginelement("call");
    dbg.attribute("fnc", info.func);
    dbg.attribute("src", info.src);
    dbg.attribute("line", info.line.tostring());
    foreach (name, value in info.locals)
        Write(name, value, 0, {});
    WriteWatches(info.locals);
    dbg.endelement("call");
}
dbg.endelement("calls");
