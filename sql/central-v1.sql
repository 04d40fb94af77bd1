-- Quoran central results database, schema version 1.
--
-- Every bench uploads the rows of its local results store into one table.
-- A row is identified by the store it came from and its id there, so a
-- recreated store or two stores on one host never collide; the line hash
-- is unique too, so a record saved at one bench and imported from a shared
-- data file at another arrives once.
--
-- Apply with a role that may create tables (the database's owner or an
-- administrator), by `quoran-read --central-init` or by
--   psql -v ON_ERROR_STOP=1 -1 -d quoran -f central-v1.sql
-- Applying it again changes nothing.
--
-- A bench's role needs no more than INSERT and SELECT on the table, e.g.
-- through a group role:
--   CREATE ROLE quoran_bench NOLOGIN;
--   GRANT INSERT, SELECT ON measurements TO quoran_bench;
--   CREATE ROLE bench1 LOGIN IN ROLE quoran_bench;
--   \password bench1    -- the password then goes into the bench's ~/.pgpass
--
-- Only the identity columns are NOT NULL and there are no CHECK
-- constraints: a row the local store accepted must never be refused here,
-- or it would hold up every later row of its bench.

CREATE TABLE IF NOT EXISTS quoran_schema (
    version integer PRIMARY KEY,
    applied_utc timestamptz NOT NULL DEFAULT now()
);

CREATE TABLE IF NOT EXISTS measurements (
    store_id uuid NOT NULL,
    local_id bigint NOT NULL,
    time_utc timestamptz,
    date_text text,
    time_text text,
    bench text,
    type text,
    number text,
    mark text,
    pole_count integer,
    speed_rpm double precision,
    voltage_constant_v_per_krpm double precision,
    voltage_v double precision,
    electrical_angle_deg double precision,
    mechanical_angle_deg double precision,
    encoder_teeth integer,
    offset_u integer,
    offset_v integer,
    offset_w integer,
    frame text,
    verdict text,
    outside text,
    limits text,
    judged_on_import boolean NOT NULL DEFAULT false,
    data_file text,
    source text,
    line_hash text NOT NULL,
    received_utc timestamptz NOT NULL DEFAULT now(),
    CONSTRAINT measurements_pkey PRIMARY KEY (store_id, local_id),
    CONSTRAINT measurements_line_hash_key UNIQUE (line_hash)
);

-- The review across benches: one type over a time span, one bench.
CREATE INDEX IF NOT EXISTS measurements_type_time ON measurements (type, time_utc);
CREATE INDEX IF NOT EXISTS measurements_bench_time ON measurements (bench, time_utc);

INSERT INTO quoran_schema (version) VALUES (1) ON CONFLICT (version) DO NOTHING;
