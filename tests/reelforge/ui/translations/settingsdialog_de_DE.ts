<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Dialog_Settings</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Allow remove from queue without confirmation</source>
        <translation>Ohne Rückfrage aus der Warteschlange entfernen, auch bei sehr langen Namen</translation>
    </message>
</context>
</TS>
