<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Checker</name>
    <message>
        <source>listed, but the file has no section for it</source>
        <translation>aufgeführt, aber die Datei enthält keinen Abschnitt dafür</translation>
    </message>
    <message>
        <source>a group section that the list leaves out</source>
        <translation>ein Gruppenabschnitt, der in der Liste fehlt</translation>
    </message>
    <message>
        <source>%1 cannot be read; the group takes its default</source>
        <translation>%1 kann nicht gelesen werden; die Gruppe erhält den Standardwert</translation>
    </message>
    <message>
        <source>the start text &quot;%1&quot; is one the setup editor refuses</source>
        <translation>die Beginnangabe &quot;%1&quot; wird vom Einrichtungseditor abgelehnt</translation>
    </message>
    <message>
        <source>the filter file %1 is missing; every station is listed</source>
        <translation>die Filterdatei %1 fehlt; alle Stationen werden aufgeführt</translation>
    </message>
    <message>
        <source>the filter file %1 cannot be read: %2</source>
        <translation>die Filterdatei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>the filter %1 cannot be used: %2</source>
        <translation>der Filter %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>the pair &quot;%1&quot; has a station id holding &quot;.&quot;; it reads as station &quot;%2&quot;</source>
        <translation>das Paar &quot;%1&quot; hat eine Stations-ID, die &quot;.&quot; enthält; es wird als Station &quot;%2&quot; gelesen</translation>
    </message>
    <message>
        <source>the data label &quot;%1&quot; of %2 is also the label of %3 in %4; a label names one result per station</source>
        <translation>die Datenbezeichnung &quot;%1&quot; von %2 ist auch die Bezeichnung von %3 in %4; eine Bezeichnung benennt ein Ergebnis je Station</translation>
    </message>
    <message>
        <source>the data label &quot;%1&quot; is also given to %2 in %3</source>
        <translation>die Datenbezeichnung &quot;%1&quot; ist auch %2 in %3 zugewiesen</translation>
    </message>
</context>
<context>
    <name>ConfigFile</name>
    <message>
        <source>Group %1: %2 cannot be read and takes its default until the group is saved.</source>
        <translation>Gruppe %1: %2 kann nicht gelesen werden und erhält bis zum Speichern der Gruppe den Standardwert.</translation>
    </message>
    <message>
        <source>Startup parameters loaded.</source>
        <translation>Startparameter geladen.</translation>
    </message>
    <message>
        <source>Groups that another program added to %1 stay in its group list: %2.</source>
        <translation>Gruppen, die ein anderes Programm zu %1 hinzugefügt hat, bleiben in dessen Gruppenliste: %2.</translation>
    </message>
    <message>
        <source>%1 had vanished; it was written again whole from the program&apos;s memory.</source>
        <translation>%1 war nicht mehr vorhanden und wurde vollständig aus dem Programmspeicher neu geschrieben.</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2. Nothing will be written to it until it can be read.</source>
        <translation>%1 kann nicht gelesen werden: %2. Bis sie gelesen werden kann, wird nichts in sie geschrieben.</translation>
    </message>
</context>
<context>
    <name>ConfigHistory</name>
    <message>
        <source>The change history in %1 cannot be written: %2</source>
        <translation>Der Änderungsverlauf in %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>CtlService</name>
    <message>
        <source>no bus: %1</source>
        <translation>kein Bus: %1</translation>
    </message>
    <message>
        <source>the service is not running</source>
        <translation>der Dienst läuft nicht</translation>
    </message>
    <message>
        <source>the service does not answer</source>
        <translation>der Dienst antwortet nicht</translation>
    </message>
</context>
<context>
    <name>EDataLabelDup</name>
    <message>
        <source>Duplicate datalabel %1 for station %2</source>
        <translation>Doppelte Datenbezeichnung %1 für Station %2</translation>
    </message>
</context>
<context>
    <name>FileLock</name>
    <message>
        <source>the wait for its lock %1 was cancelled</source>
        <translation>das Warten auf seine Sperrdatei %1 wurde abgebrochen</translation>
    </message>
    <message>
        <source>its lock %1 is held by another program%2 for more than %3 seconds; close that program, or end it if it does not answer, and try again</source>
        <translation>seine Sperrdatei %1 wird seit mehr als %3 Sekunden von einem anderen Programm%2 gehalten; schließen Sie dieses Programm oder beenden Sie es, wenn es nicht antwortet, und versuchen Sie es erneut</translation>
    </message>
    <message>
        <source> (process %1)</source>
        <translation> (Prozess %1)</translation>
    </message>
</context>
<context>
    <name>FilterFile</name>
    <message>
        <source>it holds a backslash in quoted text</source>
        <translation>er enthält einen Backslash in Text zwischen Anführungszeichen</translation>
    </message>
    <message>
        <source>it holds &quot;%1&quot; outside quoted text</source>
        <translation>er enthält &quot;%1&quot; außerhalb von Text zwischen Anführungszeichen</translation>
    </message>
    <message>
        <source>it holds a comment marker</source>
        <translation>er enthält ein Kommentarzeichen</translation>
    </message>
    <message>
        <source>a &quot;)&quot; closes more than was opened</source>
        <translation>ein &quot;)&quot; schließt mehr Klammern, als geöffnet wurden</translation>
    </message>
    <message>
        <source>a quote is left open</source>
        <translation>ein Anführungszeichen wird nicht geschlossen</translation>
    </message>
    <message>
        <source>a &quot;(&quot; is left open</source>
        <translation>ein &quot;(&quot; wird nicht geschlossen</translation>
    </message>
    <message>
        <source>The filter %1 cannot be used: %2.</source>
        <translation>Der Filter %1 kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>it is larger than %1 KiB</source>
        <translation>sie ist größer als %1 KiB</translation>
    </message>
    <message>
        <source>it holds a quote inside a name in [ ] or ` `</source>
        <translation>er enthält ein Anführungszeichen in einem Namen in [ ] oder ` `</translation>
    </message>
    <message>
        <source>it holds the word %1</source>
        <translation>er enthält das Wort %1</translation>
    </message>
</context>
<context>
    <name>GroupLabels</name>
    <message>
        <source>%1 labelled %2</source>
        <translation>%1 mit der Bezeichnung %2</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
    <message>
        <source>Registering the data labels of group %1 was cancelled.</source>
        <translation>Die Registrierung der Datenbezeichnungen der Gruppe %1 wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The data labels of group %1 could not all be registered.</source>
        <translation>Die Datenbezeichnungen der Gruppe %1 konnten nicht alle registriert werden.</translation>
    </message>
    <message>
        <source>The group was saved in the configuration; these data labels are not in the database:</source>
        <translation>Die Gruppe wurde in der Konfiguration gespeichert; diese Datenbezeichnungen stehen nicht in der Datenbank:</translation>
    </message>
    <message>
        <source>Registering</source>
        <translation>Registrierung</translation>
    </message>
    <message>
        <source>Registering data labels...
%1 of %2 registered</source>
        <translation>Datenbezeichnungen werden registriert...
%1 von %2 registriert</translation>
    </message>
</context>
<context>
    <name>GroupListing</name>
    <message>
        <source>%1 (not a start the setup editor accepts)</source>
        <translation>%1 (keine Beginnangabe, die der Einrichtungseditor akzeptiert)</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>QV ZizaVure Help</source>
        <translation>QV ZizaVure-Hilfe</translation>
    </message>
    <message>
        <source>Type the keyword to find</source>
        <translation>Geben Sie das gesuchte Stichwort ein</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;h1&gt;Page not found&lt;/h1&gt;&lt;p&gt;%1&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;h1&gt;Seite nicht gefunden&lt;/h1&gt;&lt;p&gt;%1&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Help page</source>
        <translation>Hilfeseite</translation>
    </message>
</context>
<context>
    <name>ReadProgress</name>
    <message>
        <source>%1
%2 rows read</source>
        <translation>%1
%2 Zeilen gelesen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Wird gelesen</translation>
    </message>
</context>
<context>
    <name>SharedFolderFile</name>
    <message>
        <source>it is a link owned by another user</source>
        <translation>sie ist ein Link, der einem anderen Benutzer gehört</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
</context>
<context>
    <name>TConfigSession</name>
    <message>
        <source>Unable to write to %1: another program keeps changing %2</source>
        <translation>Schreiben in %1 nicht möglich: Ein anderes Programm ändert %2 fortlaufend</translation>
    </message>
    <message>
        <source>Unable to write to %1: no group number is left</source>
        <translation>Schreiben in %1 nicht möglich: Es ist keine Gruppennummer mehr frei</translation>
    </message>
    <message>
        <source>%1 was added by another program.</source>
        <translation>%1 wurde von einem anderen Programm hinzugefügt.</translation>
    </message>
    <message>
        <source>%1 was changed by another program.</source>
        <translation>%1 wurde von einem anderen Programm geändert.</translation>
    </message>
    <message>
        <source>%1 was erased by another program.</source>
        <translation>%1 wurde von einem anderen Programm gelöscht.</translation>
    </message>
    <message>
        <source>Unable to write to %1: version %2 of its history cannot be read</source>
        <translation>Schreiben in %1 nicht möglich: Version %2 seines Verlaufs kann nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>TCtlCommands</name>
    <message>
        <source>There is no group %1 in the list.</source>
        <translation>In der Liste gibt es keine Gruppe %1.</translation>
    </message>
    <message>
        <source>Standard input cannot be read.</source>
        <translation>Die Standardeingabe kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>service: %1</source>
        <translation>Dienst: %1</translation>
    </message>
    <message>
        <source>running, linked</source>
        <translation>läuft, verbunden</translation>
    </message>
    <message>
        <source>running, not answering</source>
        <translation>läuft, antwortet nicht</translation>
    </message>
    <message>
        <source>not running</source>
        <translation>läuft nicht</translation>
    </message>
    <message>
        <source>processing: %1</source>
        <translation>Verarbeitung: %1</translation>
    </message>
    <message>
        <source>holders: %1</source>
        <translation>Haltende Fenster: %1</translation>
    </message>
    <message>
        <source>next group: %1</source>
        <translation>Nächste Gruppe: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>database: %1</source>
        <translation>Datenbank: %1</translation>
    </message>
    <message>
        <source>%1 asked to be processed now.</source>
        <translation>Für %1 wurde die sofortige Verarbeitung angefordert.</translation>
    </message>
    <message>
        <source>Unable to subscribe to the service&apos;s events.</source>
        <translation>Die Ereignisse des Dienstes können nicht abonniert werden.</translation>
    </message>
    <message>
        <source>There is no version %1 in the history.</source>
        <translation>Im Verlauf gibt es keine Version %1.</translation>
    </message>
    <message>
        <source>Version %1 of the history has no group %2.</source>
        <translation>Version %1 des Verlaufs enthält keine Gruppe %2.</translation>
    </message>
    <message>
        <source>%1 restored as version %2 holds it.</source>
        <translation>%1 wiederhergestellt, wie Version %2 sie enthält.</translation>
    </message>
    <message>
        <source>The schedule is held by %1 window(s): %2. It resumes when the last one closes. Not resumed; --force resumes it anyway.</source>
        <translation>Die geplante Verarbeitung wird von %1 Fenster(n) ausgesetzt: %2. Sie wird fortgesetzt, wenn das letzte davon geschlossen wird. Nicht fortgesetzt; --force setzt sie trotzdem fort.</translation>
    </message>
</context>
<context>
    <name>TDesktopNotifier</name>
    <message>
        <source>Start the service</source>
        <translation>Dienst starten</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>The post processing service stopped.</source>
        <translation>Der Nachbearbeitungsdienst wurde angehalten.</translation>
    </message>
    <message>
        <source>The post processing service reports an error.</source>
        <translation>Der Nachbearbeitungsdienst meldet einen Fehler.</translation>
    </message>
    <message>
        <source>Changed by %1.</source>
        <translation>Geändert von %1.</translation>
    </message>
    <message>
        <source>Changed by %1 with %2.</source>
        <translation>Geändert von %1 mit %2.</translation>
    </message>
    <message>
        <source>The configuration was changed by another program.</source>
        <translation>Die Konfiguration wurde von einem anderen Programm geändert.</translation>
    </message>
</context>
<context>
    <name>TGroupEdit</name>
    <message>
        <source>Warning: %1 with %2 is labelled %3 in group %4 and %5 in group %6; the label table keeps only one of them.</source>
        <translation>Warnung: %1 mit %2 hat in Gruppe %4 die Bezeichnung %3 und in Gruppe %6 die Bezeichnung %5; die Bezeichnungstabelle behält nur eine davon.</translation>
    </message>
</context>
<context>
    <name>TGroupFieldEdits</name>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>&apos;%1&apos; ist keine gültige Zeitangabe</translation>
    </message>
    <message>
        <source>Error 1504: Invalid day value</source>
        <translation>Fehler 1504: Ungültiger Tageswert</translation>
    </message>
</context>
<context>
    <name>TLockWaitWindow</name>
    <message>
        <source>Waiting for %1, locked by another program…</source>
        <translation>Warten auf %1, von einem anderen Programm gesperrt…</translation>
    </message>
</context>
<context>
    <name>TPairListControls</name>
    <message>
        <source>Station %1 cannot be processed: its id contains &apos;.&apos;</source>
        <translation>Station %1 kann nicht verarbeitet werden: Die ID enthält &apos;.&apos;</translation>
    </message>
</context>
<context>
    <name>TServiceCommands</name>
    <message>
        <source>Processing active</source>
        <translation>Verarbeitung aktiv</translation>
    </message>
    <message>
        <source>Processing suspended</source>
        <translation>Verarbeitung ausgesetzt</translation>
    </message>
    <message>
        <source>Processing held by one window</source>
        <translation>Verarbeitung von einem Fenster ausgesetzt</translation>
    </message>
    <message>
        <source>Processing held by %1 windows</source>
        <translation>Verarbeitung von %1 Fenstern ausgesetzt</translation>
    </message>
    <message>
        <source>Scheduled processing was left on hold by a program that ended; resumed.</source>
        <translation>Die geplante Verarbeitung war von einem beendeten Programm ausgesetzt worden; sie läuft wieder.</translation>
    </message>
    <message>
        <source>The service manager refused: %1</source>
        <translation>Der Dienstmanager hat abgelehnt: %1</translation>
    </message>
    <message>
        <source>Error 1502: Failed to start the QVZizaVureess service.</source>
        <translation>Fehler 1502: Der Dienst QVZizaVureess konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>Error 1503: Failed to stop the QVZizaVureess service.</source>
        <translation>Fehler 1503: Der Dienst QVZizaVureess konnte nicht angehalten werden.</translation>
    </message>
</context>
<context>
    <name>TServiceLink</name>
    <message>
        <source>Post processing service started.</source>
        <translation>Nachbearbeitungsdienst gestartet.</translation>
    </message>
    <message>
        <source>Service Ready</source>
        <translation>Dienst bereit</translation>
    </message>
    <message>
        <source>Service Stopped</source>
        <translation>Dienst angehalten</translation>
    </message>
    <message>
        <source>Disabled</source>
        <translation>Deaktiviert</translation>
    </message>
    <message>
        <source>Post processing service stopped.</source>
        <translation>Nachbearbeitungsdienst angehalten.</translation>
    </message>
</context>
<context>
    <name>TServiceManager</name>
    <message>
        <source>Unit %1 is %2.</source>
        <translation>Unit %1 ist %2.</translation>
    </message>
</context>
<context>
    <name>TStationPicker</name>
    <message>
        <source>Reading the stations and sensors...</source>
        <translation>Stationen und Sensoren werden gelesen...</translation>
    </message>
    <message>
        <source>The filter of this group was refused by the database: %1</source>
        <translation>Der Filter dieser Gruppe wurde von der Datenbank abgelehnt: %1</translation>
    </message>
</context>
<context>
    <name>TStationTreeModel</name>
    <message>
        <source>View By Stations</source>
        <translation>Nach Stationen anzeigen</translation>
    </message>
    <message>
        <source>View By Sensors</source>
        <translation>Nach Sensoren anzeigen</translation>
    </message>
    <message>
        <source>View By Basin</source>
        <translation>Nach Einzugsgebiet anzeigen</translation>
    </message>
    <message>
        <source>View By District</source>
        <translation>Nach Bezirk anzeigen</translation>
    </message>
    <message>
        <source>View By City</source>
        <translation>Nach Stadt anzeigen</translation>
    </message>
    <message>
        <source>View By County</source>
        <translation>Nach Landkreis anzeigen</translation>
    </message>
    <message>
        <source>View By State</source>
        <translation>Nach Bundesland anzeigen</translation>
    </message>
    <message>
        <source>View By Country</source>
        <translation>Nach Land anzeigen</translation>
    </message>
    <message>
        <source>View By Primary Channel</source>
        <translation>Nach Primärkanal anzeigen</translation>
    </message>
    <message>
        <source>View By Random Channel</source>
        <translation>Nach Zufallskanal anzeigen</translation>
    </message>
    <message>
        <source>&lt;NULL&gt;</source>
        <translation>&lt;NULL&gt;</translation>
    </message>
    <message>
        <source>station</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>sensor</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>basin</source>
        <translation>Einzugsgebiet</translation>
    </message>
    <message>
        <source>district</source>
        <translation>Bezirk</translation>
    </message>
    <message>
        <source>city</source>
        <translation>Stadt</translation>
    </message>
    <message>
        <source>county</source>
        <translation>Landkreis</translation>
    </message>
    <message>
        <source>state</source>
        <translation>Bundesland</translation>
    </message>
    <message>
        <source>country</source>
        <translation>Land</translation>
    </message>
    <message>
        <source>primary channel</source>
        <translation>Primärkanal</translation>
    </message>
    <message>
        <source>random channel</source>
        <translation>Zufallskanal</translation>
    </message>
</context>
<context>
    <name>TTrayIcon</name>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Anzeigen</translation>
    </message>
    <message>
        <source>&amp;Process Now...</source>
        <translation>Jetzt &amp;verarbeiten...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>QV ZizaVure: the post processing service is stopped</source>
        <translation>QV ZizaVure: Der Nachbearbeitungsdienst ist beendet</translation>
    </message>
    <message>
        <source>QV ZizaVure: the post processing service is running</source>
        <translation>QV ZizaVure: Der Nachbearbeitungsdienst läuft</translation>
    </message>
    <message>
        <source>QV ZizaVure: the post processing service is running; scheduled processing is held</source>
        <translation>QV ZizaVure: Der Nachbearbeitungsdienst läuft; die geplante Verarbeitung ist angehalten</translation>
    </message>
    <message>
        <source>St&amp;art Service</source>
        <translation>Dienst st&amp;arten</translation>
    </message>
    <message>
        <source>Stop S&amp;ervice</source>
        <translation>Dienst an&amp;halten</translation>
    </message>
</context>
<context>
    <name>TfmAbout</name>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Part number:</source>
        <translation>Teilenummer:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>About QV ZizaVure</source>
        <translation>Über QV ZizaVure</translation>
    </message>
    <message>
        <source>Version %1 (Build %2)</source>
        <translation>Version %1 (Build %2)</translation>
    </message>
</context>
<context>
    <name>TfrmFilterSelect</name>
    <message>
        <source>Filters</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Field:</source>
        <translation>Feld:</translation>
    </message>
    <message>
        <source>Condition:</source>
        <translation>Bedingung:</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>Wert:</translation>
    </message>
    <message>
        <source>Select site attribute to filter by</source>
        <translation>Wählen Sie das Stationsattribut aus, nach dem gefiltert werden soll</translation>
    </message>
    <message>
        <source>  = </source>
        <translation>  = </translation>
    </message>
    <message>
        <source>  &gt; </source>
        <translation>  &gt; </translation>
    </message>
    <message>
        <source>  &lt; </source>
        <translation>  &lt; </translation>
    </message>
    <message>
        <source>  &gt;= </source>
        <translation>  &gt;= </translation>
    </message>
    <message>
        <source>  &lt;= </source>
        <translation>  &lt;= </translation>
    </message>
    <message>
        <source> LIKE </source>
        <translation> LIKE </translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Sa&amp;ve As</source>
        <translation>Speichern &amp;unter</translation>
    </message>
    <message>
        <source>Filter File:</source>
        <translation>Filterdatei:</translation>
    </message>
    <message>
        <source>This file contains the filters specified in QVDesktop</source>
        <translation>Diese Datei enthält die in QVDesktop festgelegten Filter</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>StationID</source>
        <translation>Stations-ID</translation>
    </message>
    <message>
        <source>SensorName</source>
        <translation>Sensorname</translation>
    </message>
    <message>
        <source>&amp;Execute</source>
        <translation>&amp;Ausführen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abb&amp;rechen</translation>
    </message>
    <message>
        <source>&lt;None Defined&gt;</source>
        <translation>&lt;Nicht definiert&gt;</translation>
    </message>
    <message>
        <source>The filter cannot be used: %1.</source>
        <translation>Der Filter kann nicht verwendet werden: %1.</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Schreiben in %1 nicht möglich</translation>
    </message>
    <message>
        <source> Open Filter File</source>
        <translation> Filterdatei öffnen</translation>
    </message>
    <message>
        <source>Filter Files(*.flt)</source>
        <translation>Filterdateien (*.flt)</translation>
    </message>
    <message>
        <source>Save Filter File As</source>
        <translation>Filterdatei speichern unter</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 ist bereits vorhanden.
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>Reading the stations and sensors of the filter...</source>
        <translation>Stationen und Sensoren des Filters werden gelesen...</translation>
    </message>
    <message>
        <source>Please save the filter file before selecting it</source>
        <translation>Bitte speichern Sie die Filterdatei, bevor Sie sie auswählen</translation>
    </message>
    <message>
        <source>Filter conditions</source>
        <translation>Filterbedingungen</translation>
    </message>
    <message>
        <source>Stations and sensors of the filter</source>
        <translation>Stationen und Sensoren des Filters</translation>
    </message>
</context>
<context>
    <name>TfrmHistory</name>
    <message>
        <source>Configuration History</source>
        <translation>Konfigurationsverlauf</translation>
    </message>
    <message>
        <source>&amp;Group:</source>
        <translation>&amp;Gruppe:</translation>
    </message>
    <message>
        <source>Show only the versions that changed this group</source>
        <translation>Nur die Versionen zeigen, die diese Gruppe geändert haben</translation>
    </message>
    <message>
        <source>&amp;Who:</source>
        <translation>&amp;Wer:</translation>
    </message>
    <message>
        <source>Show only the versions made by this user</source>
        <translation>Nur die Versionen dieses Benutzers zeigen</translation>
    </message>
    <message>
        <source>&amp;Versions (select two to compare them):</source>
        <translation>&amp;Versionen (zwei auswählen, um sie zu vergleichen):</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Who</source>
        <translation>Wer</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Gruppen</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Vorher</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nachher</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>first recorded</source>
        <translation>zuerst erfasst</translation>
    </message>
    <message>
        <source>changed outside the program</source>
        <translation>außerhalb des Programms geändert</translation>
    </message>
    <message>
        <source>restored from version %1</source>
        <translation>aus Version %1 wiederhergestellt</translation>
    </message>
    <message>
        <source>saved</source>
        <translation>gespeichert</translation>
    </message>
    <message>
        <source>%1 (added)</source>
        <translation>%1 (hinzugefügt)</translation>
    </message>
    <message>
        <source>%1 (erased)</source>
        <translation>%1 (gelöscht)</translation>
    </message>
    <message>
        <source>All groups</source>
        <translation>Alle Gruppen</translation>
    </message>
    <message>
        <source>Everybody</source>
        <translation>Alle Benutzer</translation>
    </message>
    <message>
        <source>Changes of version %1</source>
        <translation>Änderungen der Version %1</translation>
    </message>
    <message>
        <source>From version %1 to version %2</source>
        <translation>Von Version %1 bis Version %2</translation>
    </message>
    <message>
        <source>Select a version to see its changes, or two versions to compare them.</source>
        <translation>Wählen Sie eine Version, um ihre Änderungen zu sehen, oder zwei Versionen, um sie zu vergleichen.</translation>
    </message>
    <message>
        <source>Restore this &amp;group</source>
        <translation>Diese &amp;Gruppe wiederherstellen</translation>
    </message>
    <message>
        <source>Write the group chosen in the group filter as the selected version holds it</source>
        <translation>Die im Gruppenfilter gewählte Gruppe so schreiben, wie die ausgewählte Version sie enthält</translation>
    </message>
    <message>
        <source>Restore this &amp;version</source>
        <translation>Diese &amp;Version wiederherstellen</translation>
    </message>
    <message>
        <source>Write every group and the group list as the selected version holds them</source>
        <translation>Alle Gruppen und die Gruppenliste so schreiben, wie die ausgewählte Version sie enthält</translation>
    </message>
    <message>
        <source>Version %1 holds what the configuration holds now: nothing to restore.</source>
        <translation>Version %1 enthält, was die Konfiguration jetzt enthält: nichts wiederherzustellen.</translation>
    </message>
    <message>
        <source>the configuration</source>
        <translation>die Konfiguration</translation>
    </message>
    <message>
        <source>Restore %1 as version %2 holds it? This changes:
%3</source>
        <translation>%1 so wiederherstellen, wie Version %2 sie enthält? Das ändert:
%3</translation>
    </message>
    <message>
        <source>&amp;Pin</source>
        <translation>&amp;Anheften</translation>
    </message>
    <message>
        <source>Keep the selected version however long the history keeps versions</source>
        <translation>Die ausgewählte Version behalten, gleich wie lange der Verlauf Versionen behält</translation>
    </message>
    <message>
        <source>%1, pinned</source>
        <translation>%1, angeheftet</translation>
    </message>
</context>
<context>
    <name>TfrmMergeConflicts</name>
    <message>
        <source>Changed by another program</source>
        <translation>Von einem anderen Programm geändert</translation>
    </message>
    <message>
        <source>Another program changed %1 at %2, while you edited it. Choose for each field which value to save.</source>
        <translation>Ein anderes Programm hat %1 um %2 geändert, während Sie die Gruppe bearbeitet haben. Wählen Sie für jedes Feld, welcher Wert gespeichert wird.</translation>
    </message>
    <message>
        <source>Fields changed on both sides</source>
        <translation>Auf beiden Seiten geänderte Felder</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Your value</source>
        <translation>Ihr Wert</translation>
    </message>
    <message>
        <source>Their value</source>
        <translation>Deren Wert</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Keep mine</source>
        <translation>Meinen behalten</translation>
    </message>
    <message>
        <source>Take theirs</source>
        <translation>Deren übernehmen</translation>
    </message>
    <message>
        <source>Value to save for %1</source>
        <translation>Zu speichernder Wert für %1</translation>
    </message>
</context>
<context>
    <name>TfrmNotifications</name>
    <message>
        <source>Notifications</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Tell me on the desktop, while this window is not active, when:</source>
        <translation>Auf dem Desktop melden, solange dieses Fenster nicht aktiv ist, wenn:</translation>
    </message>
    <message>
        <source>the post processing &amp;service stops</source>
        <translation>der Nachbearbeitungs&amp;dienst anhält</translation>
    </message>
    <message>
        <source>the service reports an &amp;error</source>
        <translation>der Dienst einen &amp;Fehler meldet</translation>
    </message>
    <message>
        <source>another program &amp;changes the configuration</source>
        <translation>ein anderes Programm die Konfiguration ä&amp;ndert</translation>
    </message>
    <message>
        <source>scheduled processing left on &amp;hold by a program that ended is resumed</source>
        <translation>die von einem beendeten Programm ausgesetzte geplante Verarbeitung wieder &amp;aufgenommen wird</translation>
    </message>
    <message>
        <source>The notification settings were not stored; see the program&apos;s log.</source>
        <translation>Die Benachrichtigungseinstellungen wurden nicht gespeichert; siehe das Protokoll des Programms.</translation>
    </message>
</context>
<context>
    <name>TfrmOptionSetup</name>
    <message>
        <source>Edit Setup Options</source>
        <translation>Einrichtungsoptionen bearbeiten</translation>
    </message>
    <message>
        <source>Groups:</source>
        <translation>Gruppen:</translation>
    </message>
    <message>
        <source>The post-processing groups, by number</source>
        <translation>Die Nachbearbeitungsgruppen, nach Nummer geordnet</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Create a new group</source>
        <translation>Neue Gruppe erstellen</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Create a new group as a copy of this one</source>
        <translation>Neue Gruppe als Kopie dieser Gruppe erstellen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Delete this group</source>
        <translation>Diese Gruppe löschen</translation>
    </message>
    <message>
        <source>Delete &amp;All</source>
        <translation>&amp;Alle löschen</translation>
    </message>
    <message>
        <source>Delete every group</source>
        <translation>Alle Gruppen löschen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save this group</source>
        <translation>Diese Gruppe speichern</translation>
    </message>
    <message>
        <source>Group Details</source>
        <translation>Gruppendetails</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Aktivieren</translation>
    </message>
    <message>
        <source>Function Name:</source>
        <translation>Funktionsname:</translation>
    </message>
    <message>
        <source>Parameters:</source>
        <translation>Parameter:</translation>
    </message>
    <message>
        <source>Optional parameters of the function</source>
        <translation>Optionale Parameter der Funktion</translation>
    </message>
    <message>
        <source>Base Time: </source>
        <translation>Basiszeit: </translation>
    </message>
    <message>
        <source>99:99:99</source>
        <translation>99:99:99</translation>
    </message>
    <message>
        <source>00:00:00</source>
        <translation>00:00:00</translation>
    </message>
    <message>
        <source>Interval:</source>
        <translation>Intervall:</translation>
    </message>
    <message>
        <source>1 Hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>6 Hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message>
        <source>12 Hours</source>
        <translation>12 Stunden</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>As Entered:</source>
        <translation>Wie eingegeben:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>One day more</source>
        <translation>Einen Tag mehr</translation>
    </message>
    <message>
        <source>One day less</source>
        <translation>Einen Tag weniger</translation>
    </message>
    <message>
        <source>day(s)</source>
        <translation>Tag(e)</translation>
    </message>
    <message>
        <source>Time Boundaries</source>
        <translation>Zeitgrenzen</translation>
    </message>
    <message>
        <source>Start &gt;= and &lt; End</source>
        <translation>Beginn &gt;= und &lt; Ende</translation>
    </message>
    <message>
        <source>Start &gt; and &lt;= End</source>
        <translation>Beginn &gt; und &lt;= Ende</translation>
    </message>
    <message>
        <source>Start &gt;= and &lt;= End</source>
        <translation>Beginn &gt;= und &lt;= Ende</translation>
    </message>
    <message>
        <source>Start From:</source>
        <translation>Beginn ab:</translation>
    </message>
    <message>
        <source>A keyword, or a date as mm/dd/yyyy hh:mm:ss</source>
        <translation>Ein Schlüsselwort oder ein Datum im Format mm/dd/yyyy hh:mm:ss</translation>
    </message>
    <message>
        <source>What the start means now, as the service reckons it</source>
        <translation>Welcher Zeitpunkt sich derzeit für den Beginn ergibt, so wie der Dienst ihn berechnet</translation>
    </message>
    <message>
        <source>Data Offset Time:</source>
        <translation>Datenversatzzeit:</translation>
    </message>
    <message>
        <source>Data Flags:</source>
        <translation>Datenkennzeichen:</translation>
    </message>
    <message>
        <source>All Data</source>
        <translation>Alle Daten</translation>
    </message>
    <message>
        <source>Good Data</source>
        <translation>Gültige Daten</translation>
    </message>
    <message>
        <source>Filter File:</source>
        <translation>Filterdatei:</translation>
    </message>
    <message>
        <source>The filter file that narrows the station list</source>
        <translation>Die Filterdatei, die die Stationsliste eingrenzt</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Build or pick a filter file</source>
        <translation>Filterdatei erstellen oder auswählen</translation>
    </message>
    <message>
        <source>SiteSensors</source>
        <translation>Stations-Sensoren</translation>
    </message>
    <message>
        <source>How the stations are arranged</source>
        <translation>Anordnung der Stationen</translation>
    </message>
    <message>
        <source>Double-click to add the pairs under an entry</source>
        <translation>Doppelklicken Sie auf einen Eintrag, um die Paare darunter hinzuzufügen</translation>
    </message>
    <message>
        <source>Add the pairs under the selected entry</source>
        <translation>Die Paare unter dem ausgewählten Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Add every pair</source>
        <translation>Alle Paare hinzufügen</translation>
    </message>
    <message>
        <source>&gt;&gt;</source>
        <translation>&gt;&gt;</translation>
    </message>
    <message>
        <source>Remove the selected pair</source>
        <translation>Ausgewähltes Paar entfernen</translation>
    </message>
    <message>
        <source>Remove every pair</source>
        <translation>Alle Paare entfernen</translation>
    </message>
    <message>
        <source>&lt;&lt;</source>
        <translation>&lt;&lt;</translation>
    </message>
    <message>
        <source>Site-Sensors Selected:</source>
        <translation>Ausgewählte Stations-Sensoren:</translation>
    </message>
    <message>
        <source>Move the selected pair up</source>
        <translation>Ausgewähltes Paar nach oben verschieben</translation>
    </message>
    <message>
        <source>Move the selected pair down</source>
        <translation>Ausgewähltes Paar nach unten verschieben</translation>
    </message>
    <message>
        <source>Data Label:</source>
        <translation>Datenbezeichnung:</translation>
    </message>
    <message>
        <source>Names this calculation within its station</source>
        <translation>Benennt diese Berechnung innerhalb ihrer Station</translation>
    </message>
    <message>
        <source>Alternate Data Label:</source>
        <translation>Alternative Datenbezeichnung:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this Group?</source>
        <translation>Möchten Sie diese Gruppe wirklich löschen?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete all the Groups?</source>
        <translation>Möchten Sie wirklich alle Gruppen löschen?</translation>
    </message>
    <message>
        <source>Save all current parameters?</source>
        <translation>Alle aktuellen Parameter speichern?</translation>
    </message>
    <message>
        <source>Error 1500: </source>
        <translation>Fehler 1500: </translation>
    </message>
    <message>
        <source>Stations and sensors</source>
        <translation>Stationen und Sensoren</translation>
    </message>
    <message>
        <source>%1 was erased by another program. Save it again?</source>
        <translation>%1 wurde von einem anderen Programm gelöscht. Erneut speichern?</translation>
    </message>
    <message>
        <source>%1 (erased by another program)</source>
        <translation>%1 (von einem anderen Programm gelöscht)</translation>
    </message>
    <message>
        <source>Edits of %1 were not saved when the program last ended. Recover them?</source>
        <translation>Änderungen an %1 wurden beim letzten Beenden des Programms nicht gespeichert. Wiederherstellen?</translation>
    </message>
</context>
<context>
    <name>TfrmPPLogin</name>
    <message>
        <source>Database Login</source>
        <translation>Datenbankanmeldung</translation>
    </message>
    <message>
        <source>&amp;Database Alias:</source>
        <translation>&amp;Datenbank-Alias:</translation>
    </message>
    <message>
        <source>&amp;User Name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Kennwort:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Please select ODBC connection string</source>
        <translation>Bitte wählen Sie eine ODBC-Verbindungszeichenfolge aus</translation>
    </message>
</context>
<context>
    <name>TfrmPoll</name>
    <message>
        <source>Post Processing Groups</source>
        <translation>Nachbearbeitungsgruppen</translation>
    </message>
    <message>
        <source>Select Groups:</source>
        <translation>Gruppen auswählen:</translation>
    </message>
    <message>
        <source>You can select more than 1 poll group for export.</source>
        <translation>Sie können mehr als 1 Abrufgruppe für den Export auswählen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>This will export data for the Poll group/s selected.</source>
        <translation>Exportiert die Daten der ausgewählten Abrufgruppe(n).</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>This will close the form without exporting data.</source>
        <translation>Schließt das Formular, ohne Daten zu exportieren.</translation>
    </message>
</context>
<context>
    <name>TfrmReCalc</name>
    <message>
        <source>Interactive Calculation</source>
        <translation>Interaktive Berechnung</translation>
    </message>
    <message>
        <source>Groups:</source>
        <translation>Gruppen:</translation>
    </message>
    <message>
        <source>List of Poll Groups created.</source>
        <translation>Liste der erstellten Abrufgruppen.</translation>
    </message>
    <message>
        <source>Group Details</source>
        <translation>Gruppendetails</translation>
    </message>
    <message>
        <source>Base Time:</source>
        <translation>Basiszeit:</translation>
    </message>
    <message>
        <source>99:99:99</source>
        <translation>99:99:99</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Aktivieren</translation>
    </message>
    <message>
        <source>Interval:</source>
        <translation>Intervall:</translation>
    </message>
    <message>
        <source>1 Hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>6 Hours</source>
        <translation>6 Stunden</translation>
    </message>
    <message>
        <source>12 Hours</source>
        <translation>12 Stunden</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>As Entered:</source>
        <translation>Wie eingegeben:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>day(s)</source>
        <translation>Tag(e)</translation>
    </message>
    <message>
        <source>Function Name:</source>
        <translation>Funktionsname:</translation>
    </message>
    <message>
        <source>Parameters:</source>
        <translation>Parameter:</translation>
    </message>
    <message>
        <source>Data Offset Time:</source>
        <translation>Datenversatzzeit:</translation>
    </message>
    <message>
        <source>Data Flags:</source>
        <translation>Datenkennzeichen:</translation>
    </message>
    <message>
        <source>All Data</source>
        <translation>Alle Daten</translation>
    </message>
    <message>
        <source>Good Data</source>
        <translation>Gültige Daten</translation>
    </message>
    <message>
        <source>Calculation Options</source>
        <translation>Berechnungsoptionen</translation>
    </message>
    <message>
        <source>Start Time:</source>
        <translation>Startzeit:</translation>
    </message>
    <message>
        <source>Stop Time:</source>
        <translation>Endzeit:</translation>
    </message>
    <message>
        <source>What the start means now</source>
        <translation>Welcher Zeitpunkt sich derzeit für den Beginn ergibt</translation>
    </message>
    <message>
        <source>What the stop means now</source>
        <translation>Welcher Zeitpunkt sich derzeit für das Ende ergibt</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>Dauer:</translation>
    </message>
    <message>
        <source>How long the range from start to stop is</source>
        <translation>Wie lang der Zeitraum vom Beginn bis zum Ende ist</translation>
    </message>
    <message>
        <source>Available Site-Sensors:</source>
        <translation>Verfügbare Stations-Sensoren:</translation>
    </message>
    <message>
        <source>Add the selected site-sensors</source>
        <translation>Ausgewählte Stations-Sensoren hinzufügen</translation>
    </message>
    <message>
        <source>Remove the selected site-sensors</source>
        <translation>Ausgewählte Stations-Sensoren entfernen</translation>
    </message>
    <message>
        <source>Add all site-sensors</source>
        <translation>Alle Stations-Sensoren hinzufügen</translation>
    </message>
    <message>
        <source>&gt;&gt;</source>
        <translation>&gt;&gt;</translation>
    </message>
    <message>
        <source>Remove all site-sensors</source>
        <translation>Alle Stations-Sensoren entfernen</translation>
    </message>
    <message>
        <source>&lt;&lt;</source>
        <translation>&lt;&lt;</translation>
    </message>
    <message>
        <source>Site-Sensors Selected:</source>
        <translation>Ausgewählte Stations-Sensoren:</translation>
    </message>
    <message>
        <source>&amp;Calculate</source>
        <translation>&amp;Berechnen</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
</context>
<context>
    <name>TfrmZizaVureGUI</name>
    <message>
        <source>QV ZizaVure</source>
        <translation>QV ZizaVure</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Data Sources: </source>
        <translation>Datenquellen: </translation>
    </message>
    <message>
        <source>Next Group:</source>
        <translation>Nächste Gruppe:</translation>
    </message>
    <message>
        <source>The group that is processed next.</source>
        <translation>Die Gruppe, die als Nächstes verarbeitet wird.</translation>
    </message>
    <message>
        <source>Disabled</source>
        <translation>Deaktiviert</translation>
    </message>
    <message>
        <source>Next Time: </source>
        <translation>Nächster Zeitpunkt: </translation>
    </message>
    <message>
        <source>Next process time</source>
        <translation>Nächster Verarbeitungszeitpunkt</translation>
    </message>
    <message>
        <source>Detail Level</source>
        <translation>Detailstufe</translation>
    </message>
    <message>
        <source>Detail level of status messages.</source>
        <translation>Detailstufe der Statusmeldungen.</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Database</source>
        <translation>Daten&amp;bank</translation>
    </message>
    <message>
        <source>&amp;Post Process</source>
        <translation>&amp;Nachbearbeitung</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Symbolleiste</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Quits the application</source>
        <translation>Beendet die Anwendung</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>&amp;Trennen</translation>
    </message>
    <message>
        <source>&amp;Save to Database</source>
        <translation>In &amp;Datenbank speichern</translation>
    </message>
    <message>
        <source>&amp;Start Now...</source>
        <translation>&amp;Jetzt starten...</translation>
    </message>
    <message>
        <source>Will process the groups immediately</source>
        <translation>Verarbeitet die Gruppen sofort</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Stop process  now</source>
        <translation>Verarbeitung jetzt anhalten</translation>
    </message>
    <message>
        <source>St&amp;art Service</source>
        <translation>Dienst st&amp;arten</translation>
    </message>
    <message>
        <source>Start the service</source>
        <translation>Dienst starten</translation>
    </message>
    <message>
        <source>&amp;Pause Service...</source>
        <translation>Dienst &amp;pausieren...</translation>
    </message>
    <message>
        <source>Stop S&amp;ervice</source>
        <translation>Dienst an&amp;halten</translation>
    </message>
    <message>
        <source>Stop the service</source>
        <translation>Dienst anhalten</translation>
    </message>
    <message>
        <source>Edit &amp;Setup Parameters</source>
        <translation>&amp;Einrichtungsparameter bearbeiten</translation>
    </message>
    <message>
        <source>Edit export setup parameters</source>
        <translation>Export-Einrichtungsparameter bearbeiten</translation>
    </message>
    <message>
        <source>Edit export parameters.</source>
        <translation>Exportparameter bearbeiten.</translation>
    </message>
    <message>
        <source>&amp;Interactive Calculation</source>
        <translation>I&amp;nteraktive Berechnung</translation>
    </message>
    <message>
        <source>&amp;Refresh Params</source>
        <translation>Parameter a&amp;ktualisieren</translation>
    </message>
    <message>
        <source>Send Refresh command to client apps</source>
        <translation>Aktualisierungsbefehl an Client-Anwendungen senden</translation>
    </message>
    <message>
        <source>Command client apps to refresh setup parameters.</source>
        <translation>Weist die Client-Anwendungen an, die Einrichtungsparameter zu aktualisieren.</translation>
    </message>
    <message>
        <source>Clear Status &amp;Messages</source>
        <translation>Statusmeldungen &amp;löschen</translation>
    </message>
    <message>
        <source>Clear messages</source>
        <translation>Meldungen löschen</translation>
    </message>
    <message>
        <source>Clear status messages.</source>
        <translation>Statusmeldungen löschen.</translation>
    </message>
    <message>
        <source>&amp;Log Status Messages</source>
        <translation>Statusmeldungen p&amp;rotokollieren</translation>
    </message>
    <message>
        <source>Log all status and error messages</source>
        <translation>Alle Status- und Fehlermeldungen protokollieren</translation>
    </message>
    <message>
        <source>Log status and error messages to disk.</source>
        <translation>Status- und Fehlermeldungen auf dem Datenträger protokollieren.</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Info...</translation>
    </message>
    <message>
        <source>Service Stopped</source>
        <translation>Dienst angehalten</translation>
    </message>
    <message>
        <source>Error 1500: </source>
        <translation>Fehler 1500: </translation>
    </message>
    <message>
        <source>Next process time: %1</source>
        <translation>Nächster Verarbeitungszeitpunkt: %1</translation>
    </message>
    <message>
        <source>Connecting to database...</source>
        <translation>Verbindung zur Datenbank wird hergestellt...</translation>
    </message>
    <message>
        <source>Error 1200: Unable to connect to database.</source>
        <translation>Fehler 1200: Verbindung zur Datenbank nicht möglich.</translation>
    </message>
    <message>
        <source>Connected to database %1.</source>
        <translation>Mit Datenbank %1 verbunden.</translation>
    </message>
    <message>
        <source>Database NOT connected.</source>
        <translation>Datenbank NICHT verbunden.</translation>
    </message>
    <message>
        <source>Disconnected from database %1.</source>
        <translation>Verbindung zur Datenbank %1 getrennt.</translation>
    </message>
    <message>
        <source>Registering data labels...</source>
        <translation>Datenbezeichnungen werden registriert...</translation>
    </message>
    <message>
        <source>Status messages</source>
        <translation>Statusmeldungen</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>The status settings were not stored: %1</source>
        <translation>Die Statuseinstellungen wurden nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>Scheduled processing</source>
        <translation>Geplante Verarbeitung</translation>
    </message>
    <message>
        <source>Password not stored: it holds &quot;:&quot; or is longer than 29 bytes; the stored login is unchanged.</source>
        <translation>Kennwort nicht gespeichert: Es enthält &quot;:&quot; oder ist länger als 29 Byte; die gespeicherte Anmeldung bleibt unverändert.</translation>
    </message>
    <message>
        <source>&amp;History...</source>
        <translation>Änderungs&amp;verlauf...</translation>
    </message>
    <message>
        <source>Show the changes made to the configuration</source>
        <translation>Die Änderungen an der Konfiguration anzeigen</translation>
    </message>
    <message>
        <source>Show who changed the configuration, when and what.</source>
        <translation>Anzeigen, wer die Konfiguration wann und wie geändert hat.</translation>
    </message>
    <message>
        <source>%1 is not in version %2 or not in the group list now; restore the whole version.</source>
        <translation>%1 ist nicht in Version %2 oder jetzt nicht in der Gruppenliste; stellen Sie die ganze Version wieder her.</translation>
    </message>
    <message>
        <source>%1 was erased by another program. Restore it again?</source>
        <translation>%1 wurde von einem anderen Programm gelöscht. Wieder herstellen?</translation>
    </message>
    <message>
        <source>&amp;Notifications...</source>
        <translation>Benachrichti&amp;gungen...</translation>
    </message>
    <message>
        <source>Choose what the desktop tells you while this window is not active</source>
        <translation>Wählen, was der Desktop meldet, solange dieses Fenster nicht aktiv ist</translation>
    </message>
    <message>
        <source>Choose which desktop notifications you get while this window is not active.</source>
        <translation>Wählen, welche Desktop-Benachrichtigungen Sie erhalten, solange dieses Fenster nicht aktiv ist.</translation>
    </message>
</context>
<context>
    <name>TimePreview</name>
    <message>
        <source>%1 d</source>
        <translation>%1 T</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>= %1</source>
        <translation>= %1</translation>
    </message>
    <message>
        <source>Stop is before start</source>
        <translation>Ende liegt vor dem Beginn</translation>
    </message>
    <message>
        <source>1 day %1</source>
        <translation>1 Tag %1</translation>
    </message>
    <message>
        <source>%1 days %2</source>
        <translation>%1 Tage %2</translation>
    </message>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>in %1</source>
        <translation>in %1</translation>
    </message>
    <message>
        <source>%1 ago</source>
        <translation>vor %1</translation>
    </message>
</context>
<context>
    <name>TimeText</name>
    <message>
        <source>Error 1505: Invalid date.  Please enter date in the format of mm/dd/yyyy HH:MM:SS.</source>
        <translation>Fehler 1505: Ungültiges Datum.  Bitte geben Sie das Datum im Format mm/dd/yyyy HH:MM:SS ein.</translation>
    </message>
    <message>
        <source>Invalid date!  Please enter date in <byte value="xd"/>
the format mm/dd/yyyy HH:MM:SS.</source>
        <translation>Ungültiges Datum!  Bitte geben Sie das Datum <byte value="xd"/>
im Format mm/dd/yyyy HH:MM:SS ein.</translation>
    </message>
</context>
<context>
    <name>qvzctl</name>
    <message>
        <source>List the groups: position, name, enabled, function, interval, start and what it means now, pairs.</source>
        <translation>Die Gruppen auflisten: Position, Name, aktiviert, Funktion, Intervall, Beginn und welcher Zeitpunkt sich derzeit dafür ergibt, Paare.</translation>
    </message>
    <message>
        <source>Show every field of one group (by name or position) and its pairs.</source>
        <translation>Alle Felder einer Gruppe (nach Name oder Position) und ihre Paare anzeigen.</translation>
    </message>
    <message>
        <source>Check a configuration for what the setup editor or the service would refuse or lose.</source>
        <translation>Eine Konfiguration auf das prüfen, was der Einrichtungseditor oder der Dienst ablehnen oder verlieren würde.</translation>
    </message>
    <message>
        <source>Show the service: running, processing state, holders, next group.</source>
        <translation>Den Dienst anzeigen: ob er läuft, Verarbeitungszustand, haltende Fenster, nächste Gruppe.</translation>
    </message>
    <message>
        <source>One monitoring-plugin line about the service.</source>
        <translation>Eine Monitoring-Plugin-Zeile zum Dienst.</translation>
    </message>
    <message>
        <source>Ask the service to process groups now.</source>
        <translation>Den Dienst auffordern, Gruppen sofort zu verarbeiten.</translation>
    </message>
    <message>
        <source>Stop the processing under way.</source>
        <translation>Die laufende Verarbeitung anhalten.</translation>
    </message>
    <message>
        <source>Suspend scheduled processing.</source>
        <translation>Die geplante Verarbeitung aussetzen.</translation>
    </message>
    <message>
        <source>Resume scheduled processing, unless a window holds it.</source>
        <translation>Die geplante Verarbeitung fortsetzen, sofern kein Fenster sie aussetzt.</translation>
    </message>
    <message>
        <source>Print the service&apos;s events as they come, until it stops.</source>
        <translation>Die Ereignisse des Dienstes fortlaufend ausgeben, bis er angehalten wird.</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Befehle:</translation>
    </message>
    <message>
        <source>show takes one group.</source>
        <translation>show erwartet eine Gruppe.</translation>
    </message>
    <message>
        <source>validate takes one file.</source>
        <translation>validate erwartet eine Datei.</translation>
    </message>
    <message>
        <source>--warn-held takes a number of minutes.</source>
        <translation>--warn-held erwartet eine Anzahl von Minuten.</translation>
    </message>
    <message>
        <source>process takes groups, or --all.</source>
        <translation>process erwartet Gruppen oder --all.</translation>
    </message>
    <message>
        <source>The groups and the service of QV ZizaVure from a shell.</source>
        <translation>Die Gruppen und der Dienst von QV ZizaVure in einer Shell.</translation>
    </message>
    <message>
        <source>Show this help, or a command&apos;s.</source>
        <translation>Diese Hilfe oder die eines Befehls anzeigen.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version anzeigen.</translation>
    </message>
    <message>
        <source>The program folder, instead of the usual one.</source>
        <translation>Der Programmordner, anstelle des üblichen.</translation>
    </message>
    <message>
        <source>text (the default) or json.</source>
        <translation>text (Standard) oder json.</translation>
    </message>
    <message>
        <source>How long to wait for a configuration that another program has locked (default 30).</source>
        <translation>Wie lange auf eine Konfiguration gewartet wird, die ein anderes Programm gesperrt hat (Standard 30).</translation>
    </message>
    <message>
        <source>check: warn when held or suspended longer than this (default 30).</source>
        <translation>check: warnen, wenn die Verarbeitung länger als angegeben ausgesetzt ist, durch ein Fenster oder anderweitig (Standard 30).</translation>
    </message>
    <message>
        <source>process: every enabled group.</source>
        <translation>process: alle aktivierten Gruppen.</translation>
    </message>
    <message>
        <source>resume: even while a window holds it.</source>
        <translation>resume: auch während ein Fenster die Verarbeitung aussetzt.</translation>
    </message>
    <message>
        <source>events: print JSON one event a line.</source>
        <translation>events: JSON ausgeben, ein Ereignis pro Zeile.</translation>
    </message>
    <message>
        <source>What to do.</source>
        <translation>Was getan werden soll.</translation>
    </message>
    <message>
        <source>No command given.</source>
        <translation>Kein Befehl angegeben.</translation>
    </message>
    <message>
        <source>Unknown command %1.</source>
        <translation>Unbekannter Befehl %1.</translation>
    </message>
    <message>
        <source>--output is text or json, not %1.</source>
        <translation>--output ist text oder json, nicht %1.</translation>
    </message>
    <message>
        <source>--wait takes a number of seconds.</source>
        <translation>--wait erwartet eine Anzahl von Sekunden.</translation>
    </message>
    <message>
        <source>List the versions of the configuration&apos;s change history, newest first.</source>
        <translation>Die Versionen des Änderungsverlaufs der Konfiguration auflisten, die neueste zuerst.</translation>
    </message>
    <message>
        <source>Show what a version changed, or what changed from one version to another.</source>
        <translation>Zeigen, was eine Version geändert hat oder was sich von einer Version zur anderen geändert hat.</translation>
    </message>
    <message>
        <source>history takes one group and --since YYYY-MM-DDTHH:MM:SS.</source>
        <translation>history nimmt eine Gruppe und --since YYYY-MM-DDTHH:MM:SS.</translation>
    </message>
    <message>
        <source>diff takes one or two version numbers.</source>
        <translation>diff nimmt eine oder zwei Versionsnummern.</translation>
    </message>
    <message>
        <source>history: versions from this time on.</source>
        <translation>history: Versionen ab diesem Zeitpunkt.</translation>
    </message>
    <message>
        <source>restore: the group to restore.</source>
        <translation>restore: die wiederherzustellende Gruppe.</translation>
    </message>
    <message>
        <source>Write a group, or the whole configuration, as a version of the history holds it.</source>
        <translation>Eine Gruppe oder die ganze Konfiguration so schreiben, wie eine Version des Verlaufs sie enthält.</translation>
    </message>
    <message>
        <source>restore takes one version number.</source>
        <translation>restore nimmt eine Versionsnummer.</translation>
    </message>
    <message>
        <source>--pin takes one version number.</source>
        <translation>--pin nimmt eine Versionsnummer.</translation>
    </message>
    <message>
        <source>history: keep this version for good.</source>
        <translation>history: diese Version dauerhaft behalten.</translation>
    </message>
</context>
</TS>
