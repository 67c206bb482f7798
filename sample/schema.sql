-- Tables of the QV ZizaVure demo database. The SQL is plain enough for both
-- SQLite and PostgreSQL, so the same file builds the demo database and the
-- test databases on either engine.

-- The field stations. STATION_ID is compared exactly here, so ids that differ
-- only in letter case are different stations.
CREATE TABLE QV_SITES (
    STATION_ID         VARCHAR(40) NOT NULL PRIMARY KEY,
    DESCRIPTION        VARCHAR(80),
    BASIN              VARCHAR(40),
    DISTRICT           VARCHAR(40),
    CITY               VARCHAR(40),
    COUNTY             VARCHAR(40),
    STATE              VARCHAR(40),
    COUNTRY            VARCHAR(40),
    PRIMARY_CHANNEL    INTEGER,
    RANDOM_CHANNEL     INTEGER,
    ELEVATION          NUMERIC(8, 2),
    INSTALLED          DATE,
    REPORTING_TIME     TIME,
    REPORTING_INTERVAL INTEGER,
    LAST_REPORT        TIMESTAMP
);

-- The sensors of each station.
CREATE TABLE QV_SITESENSORS (
    STE_STATION_ID VARCHAR(40) NOT NULL REFERENCES QV_SITES (STATION_ID),
    SENSORNAME     VARCHAR(40) NOT NULL,
    SENSOR_TYPE    VARCHAR(20),
    UNITS          VARCHAR(20),
    SENSOR_ORDER   INTEGER,
    PRIMARY KEY (STE_STATION_ID, SENSORNAME)
);

-- The data label of each station, sensor and post-processing function. The
-- program counts a key's rows before it inserts, so the key is indexed but
-- not unique.
CREATE TABLE QV_PPLIST (
    STATION_ID    VARCHAR(40) NOT NULL,
    SENSORNAME    VARCHAR(40) NOT NULL,
    DATA_LABEL    VARCHAR(255),
    FUNCTION_NAME VARCHAR(20) NOT NULL
);

CREATE INDEX QV_PPLIST_KEY ON QV_PPLIST (STATION_ID, SENSORNAME, FUNCTION_NAME);
